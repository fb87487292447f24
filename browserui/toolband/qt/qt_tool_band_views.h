// The band's views in a Qt Widgets program: the toolbar widget, its menus, the customisation
// dialog and the about box. Use them on the GUI thread; without a QApplication they fall back to
// the in-memory views.
#pragma once

#include "browserui/toolband/tool_band_views.h"

namespace veltrix::toolband {

class QtToolBandViews final : public IToolBandViews {
public:
    std::unique_ptr<IToolbarView> CreateToolbar(IToolbarHandler& handler) override;
};

}  // namespace veltrix::toolband
