// The checks a page runs when the user leaves it, or when the record is about to be saved or
// closed. A failure names its message and the control (by key) that gets the focus.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/identity/page_entries.h"

namespace veltrix::editor::identity {

template <typename Key>
struct LeaveFailure {
    std::u16string message;
    Key focus;
    bool operator==(const LeaveFailure&) const = default;
};

// The year edits take at most this many characters.
inline constexpr std::size_t kYearMaxLength = 4;

// First and last name must be present.
std::optional<LeaveFailure<IdentityKey>> CheckNamePage(std::u16string_view firstName,
                                                       std::u16string_view lastName);
// Birth date, then licence expiry: when any of a date's fields is filled, its year lies in 1800
// to 2099, its month in 1 to 12 and its day within the month.
std::optional<LeaveFailure<IdentityKey>> CheckPersonalPage(const PersonalEntries& entries);
// Both dates chosen whole or not at all; card number and validation code digits only.
std::optional<LeaveFailure<CardKey>> CheckCardPage(const CardEntries& entries);
// The routing code digits only.
std::optional<LeaveFailure<AccountKey>> CheckAccountPage(const AccountEntries& entries);

// Whether every character is "0" to "9" (an empty text passes).
bool IsDigitsOnly(std::u16string_view text);
// Days in `month` (1 to 12) of `year`; February has 29 when the year is divisible by 4.
int DaysInMonth(int month, int year);

}  // namespace veltrix::editor::identity
