// The messages of the browser form engine ("%s": the product name or a path, "%1": a site).
#pragma once

#include <string_view>

namespace veltrix::formmsg {

inline constexpr std::u16string_view kExcludeSiteQuestion =
    u"Are you sure you want to exclude the '%1' web site from Veltrix processing?";
inline constexpr std::u16string_view kInvalidWebLoginName =
    u"A Web Login name cannot contain any of the following characters:\n \\ / : * ? < > |";
inline constexpr std::u16string_view kReplaceFileQuestion =
    u"%s already exists.\nDo you want to replace it?";
inline constexpr std::u16string_view kMultipleFormsFilled =
    u"%s filled multiple forms on this page and cannot choose which to submit.\nPlease submit the "
    u"desired form manually.";

}  // namespace veltrix::formmsg
