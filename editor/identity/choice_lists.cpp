#include "editor/identity/choice_lists.h"

#include <algorithm>
#include <chrono>

#include "platform/text.h"

namespace veltrix::editor::identity {
namespace {

// "01" to "NN" after a blank entry.
Choices TwoDigitRange(int last) {
    Choices choices{u""};
    for (int value = 1; value <= last; ++value) {
        std::u16string entry = text::FromInt(value);
        if (entry.size() < 2) {
            entry.insert(entry.begin(), u'0');
        }
        choices.push_back(entry);
    }
    return choices;
}

bool IsDecimal(std::u16string_view value) {
    return !value.empty() && value.size() <= 9 &&
           std::all_of(value.begin(), value.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

Choices MonthChoices() {
    return TwoDigitRange(12);
}

Choices DayChoices() {
    return TwoDigitRange(31);
}

Choices CardYearChoices(int currentYear) {
    Choices choices{u""};
    for (int year = kFirstCardYear; year <= currentYear + kCardYearsAhead; ++year) {
        choices.push_back(text::FromInt(year));
    }
    return choices;
}

Choices SexChoices() {
    return {u"", u"Male", u"Female"};
}

Choices MaritalStatusChoices() {
    return {u"", u"Single", u"Married", u"Widowed", u"Divorced"};
}

Choices CardTypeChoices() {
    return {u"",     u"Visa", u"MasterCard", u"American Express", u"Discover", u"Bank Debit Card",
            u"Other"};
}

Choices AccountTypeChoices() {
    return {u"", u"Checking", u"Savings", u"Other"};
}

Choices WithStoredValue(Choices choices, std::u16string_view stored) {
    if (stored.empty() || std::find(choices.begin(), choices.end(), stored) != choices.end()) {
        return choices;
    }
    auto position = choices.end();
    if (IsDecimal(stored)) {
        const long value = text::ToInt(stored);
        position = std::find_if(choices.begin(), choices.end(), [value](const std::u16string& c) {
            return IsDecimal(c) && text::ToInt(c) > value;
        });
        if (position == choices.end()) {
            // After the last numeric entry, ahead of any text that was added before.
            position = std::find_if(choices.begin(), choices.end(), [](const std::u16string& c) {
                return !c.empty() && !IsDecimal(c);
            });
        }
    }
    choices.insert(position, std::u16string(stored));
    return choices;
}

std::u16string SexChoiceFor(std::u16string_view stored) {
    if (stored == u"M") {
        return u"Male";
    }
    if (stored == u"F") {
        return u"Female";
    }
    return {};
}

std::u16string StoredSex(std::u16string_view choice) {
    return std::u16string(choice.substr(0, 1));
}

int CurrentYear() {
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return static_cast<int>(std::chrono::year_month_day(today).year());
}

}  // namespace veltrix::editor::identity
