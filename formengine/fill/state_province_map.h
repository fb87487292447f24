// The states and provinces whose abbreviation an Identity may hold, with their full names.
#pragma once

#include <optional>
#include <string_view>

namespace veltrix {

// The full name of an abbreviation, compared exactly (case-sensitive); nullopt when unknown.
std::optional<std::u16string_view> StateOrProvinceName(std::u16string_view abbreviation);

}  // namespace veltrix
