// The entries of the sheet's drop-down lists. Every list but "Sex:" also offers a stored value
// that is not among its entries, so that showing a record and storing it again never loses data.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltrix::editor::identity {

using Choices = std::vector<std::u16string>;

// The first year of the card date lists, and how many years past the current one they reach.
inline constexpr int kFirstCardYear = 2000;
inline constexpr int kCardYearsAhead = 20;

// A blank entry, then "01" to "12".
Choices MonthChoices();
// A blank entry, then "01" to "31".
Choices DayChoices();
// A blank entry, then kFirstCardYear to currentYear + kCardYearsAhead.
Choices CardYearChoices(int currentYear);
// A blank entry, then "Male" and "Female".
Choices SexChoices();
// A blank entry, then the four marital states.
Choices MaritalStatusChoices();
// A blank entry, then the card types.
Choices CardTypeChoices();
// A blank entry, then the account types.
Choices AccountTypeChoices();

// `choices` with `stored` added when it is neither empty nor already an entry: numbers go in
// numeric order among the numeric entries, any other text at the end.
Choices WithStoredValue(Choices choices, std::u16string_view stored);

// The sex list's entry for a stored value: "Male" for "M", "Female" for "F", else the blank one.
std::u16string SexChoiceFor(std::u16string_view stored);
// The stored value of a sex entry: its first letter, empty for the blank entry.
std::u16string StoredSex(std::u16string_view choice);

// The current calendar year (UTC).
int CurrentYear();

}  // namespace veltrix::editor::identity
