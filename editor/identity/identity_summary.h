// The Summary page's read-only texts, built from the record.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "core/identity.h"

namespace veltrix::editor::identity {

// One line of the summary: its label and its text.
struct SummaryLine {
    std::u16string_view label;
    std::u16string text;
    bool operator==(const SummaryLine&) const = default;
};

using IdentitySummary = std::array<SummaryLine, 7>;

// The area, "-" when both parts are present, then the number.
std::u16string PhoneText(std::u16string_view area, std::u16string_view number);

// Full name, e-mail address, home phone and fax, mobile phone, work phone and work mobile.
IdentitySummary BuildSummary(const CIdentity& identity);

}  // namespace veltrix::editor::identity
