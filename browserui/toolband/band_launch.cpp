#include "browserui/toolband/band_launch.h"

#include "formengine/helper/browser_launch.h"

namespace veltrix::toolband {

bool OpenDocumentAddress(std::u16string_view address) {
    return OpenDocument(address) == 0;
}

bool LaunchBrowserAddress(std::u16string_view address) {
    return LaunchBrowser(address) == 0;
}

}  // namespace veltrix::toolband
