#include "browserui/toolband/band_launch.h"

#if __has_include("formengine/helper/browser_launch.h")
#include "formengine/helper/browser_launch.h"
#define VELTRIX_HAS_BROWSER_LAUNCH 1
#endif

namespace veltrix::toolband {

#ifdef VELTRIX_HAS_BROWSER_LAUNCH
bool OpenDocumentAddress(std::u16string_view address) {
    return OpenDocument(address) == 0;
}

bool LaunchBrowserAddress(std::u16string_view address) {
    return LaunchBrowser(address) == 0;
}
#else
// Without the launch helpers nothing can be opened: the caller tells the user.
bool OpenDocumentAddress(std::u16string_view /*address*/) {
    return false;
}

bool LaunchBrowserAddress(std::u16string_view /*address*/) {
    return false;
}
#endif

}  // namespace veltrix::toolband
