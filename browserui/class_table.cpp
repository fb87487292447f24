#include "browserui/class_table.h"

#include <array>

#include "browserui/registration_scripts.h"
#include "core/orvane_interface.h"
#include "formengine/bho_view.h"

namespace veltrix::browserui {

std::span<const com::ClassEntry> ServerClasses() {
    static const std::array<com::ClassEntry, 2> classes = {{
        {u"BHOView", CLSID_BHOView, &BHOView::Create, &BrowserHelperObjectScript()},
        {u"OrvaneInterface", CLSID_OrvaneInterface, &OrvaneInterface::Create, &PlainClassScript()},
    }};
    return classes;
}

com::ServerDescription VtxcoreServer() {
    return {ServerClasses(), {LIBID_VTXCORELib, u"1.0", u"vtxcore 1.0 Type Library"}};
}

}  // namespace veltrix::browserui
