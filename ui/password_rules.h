// The rules of the master-password prompts, shared by every implementation of the UI port.
#pragma once

#include <cstddef>
#include <string_view>

namespace veltrix::ui {

inline constexpr std::size_t kMinPasswordLength = 4;
inline constexpr std::size_t kMaxPasswordLength = 56;

inline constexpr std::u16string_view kEnterPasswordTitle = u"Enter Veltrix Password";
inline constexpr std::u16string_view kEnterPasswordLabel = u"Enter the Veltrix master password:";
inline constexpr std::u16string_view kChoosePasswordTitle = u"Choose Veltrix Password";
inline constexpr std::u16string_view kChoosePasswordLabel =
    u"Enter the master password to be used by Veltrix:";
inline constexpr std::u16string_view kConfirmPasswordLabel = u"Confirm password:";
inline constexpr std::u16string_view kPasswordsDoNotMatch =
    u"The passwords do not match. Please try again.";
inline constexpr int kPasswordHelpContext = 903;
// The editor's variant of the Choose prompt, for passwords that are not the session's.
inline constexpr std::u16string_view kOtherPasswordTitle = u"Choose Password";
inline constexpr std::u16string_view kOtherPasswordPrompt = u"Choose password:";

// The Enter prompt accepts a text of 4 or more characters.
inline bool EnterPasswordAcceptable(std::u16string_view text) {
    return text.size() >= kMinPasswordLength && text.size() <= kMaxPasswordLength;
}

// The Choose prompt enables OK when both texts have 4 or more characters and are equal.
inline bool ChoosePasswordAcceptable(std::u16string_view first, std::u16string_view second) {
    return EnterPasswordAcceptable(first) && first == second;
}

}  // namespace veltrix::ui
