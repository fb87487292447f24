// How the band opens addresses when its browser offers no opener of its own: the system's
// document opener for Web Login pages and help pages, the user's web browser for the FAQ and
// support pages. True on success.
#pragma once

#include <string_view>

namespace veltrix::toolband {

bool OpenDocumentAddress(std::u16string_view address);
bool LaunchBrowserAddress(std::u16string_view address);

}  // namespace veltrix::toolband
