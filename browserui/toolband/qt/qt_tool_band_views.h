// The band's views in a Qt Widgets program: the toolbar widget, its menus, the customisation
// dialog and the about box. Use them on the GUI thread; without a QApplication they fall back to
// the in-memory views.
#pragma once

#include "browserui/toolband/tool_band_views.h"

class QToolBar;

namespace veltrix::toolband {

// The toolbar widget of the band toolbar window `handle` while it exists, so that a browser window
// can dock it among its own toolbars; null for any other handle.
QToolBar* ToolbarWidgetOf(std::uint32_t handle);

class QtToolBandViews final : public IToolBandViews {
public:
    std::unique_ptr<IToolbarView> CreateToolbar(IToolbarHandler& handler) override;
};

}  // namespace veltrix::toolband
