// The texts the Identity property sheet shows: tab captions, messages and name prompts.
#pragma once

#include <array>
#include <string_view>

namespace veltrix::editor::identity {

// Tab captions in page order, with the help topic of each page (910 for the first, then one up).
inline constexpr std::array<std::u16string_view, 7> kPageCaptions = {
    u"Summary", u"Name", u"Home", u"Business", u"Personal", u"Credit Cards", u"Bank Accounts",
};
inline constexpr int kFirstHelpTopic = 910;

// Leave checks.
inline constexpr std::u16string_view kNeedFirstName = u"Please enter a first name";
inline constexpr std::u16string_view kNeedLastName = u"Please enter a last name";
inline constexpr std::u16string_view kBadBirthYear = u"Invalid birthday year";
inline constexpr std::u16string_view kBadBirthMonth = u"Invalid birthday month";
inline constexpr std::u16string_view kBadBirthDay = u"Invalid birthday day";
inline constexpr std::u16string_view kBadLicenseYear = u"Invalid drivers license expiry year";
inline constexpr std::u16string_view kBadLicenseMonth = u"Invalid drivers license expiry month";
inline constexpr std::u16string_view kBadLicenseDay = u"Invalid drivers license expiry day";
inline constexpr std::u16string_view kBadExpiryDate = u"Expiry Date is invalid";
inline constexpr std::u16string_view kBadValidFromDate = u"Valid From Date is invalid";
inline constexpr std::u16string_view kCardNumberNotNumeric = u"Credit card number must be numeric.";
inline constexpr std::u16string_view kCodeNotNumeric = u"Validation code must be numeric.";
inline constexpr std::u16string_view kRoutingNotNumeric = u"Routing code must be numeric.";
// The limit check of the four-character year edits; %1 is the limit.
inline constexpr std::u16string_view kTooManyCharacters =
    u"Please enter no more than %1 characters.";

// Name prompts of credit cards and bank accounts; %s is the kind word or the current name.
inline constexpr std::u16string_view kNewCaption = u"New %s";
inline constexpr std::u16string_view kNewPrompt = u"Type a name for the new %s";
inline constexpr std::u16string_view kNameExists =
    u"That name already exists - please choose another.";

inline constexpr std::u16string_view kCardKindWord = u"Credit Card";
inline constexpr std::u16string_view kCardRenameCaption = u"Rename Credit Card";
inline constexpr std::u16string_view kCardRenamePrompt =
    u"Type a new name for the \"%s\" credit card";
inline constexpr std::u16string_view kCardDeleteQuestion =
    u"Are you sure you want to delete the credit card \"%s\"?";
inline constexpr std::u16string_view kCardDeleteFailed = u"Unable to delete the credit card";

inline constexpr std::u16string_view kAccountKindWord = u"Bank Account";
inline constexpr std::u16string_view kAccountRenameCaption = u"Rename Bank Account";
inline constexpr std::u16string_view kAccountRenamePrompt =
    u"Type a new name for the \"%s\" bank account";
inline constexpr std::u16string_view kAccountDeleteQuestion =
    u"Are you sure you want to delete the bank account \"%s\"?";
inline constexpr std::u16string_view kAccountDeleteFailed = u"Unable to delete the bank account";

}  // namespace veltrix::editor::identity
