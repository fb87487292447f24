// The browse-script lines of the toolbar band (docs/vtxbrowse.md):
//   toolbar press BUTTON                 a click on a button (a drop-down button's menu opens
//                                        and closes with nothing chosen)
//   toolbar choose BUTTON ITEM...        opens the drop-down and chooses the items by their text,
//                                        one per menu shown ("Toolbar>Help" names a submenu's)
//   toolbar customize reset | delete BUTTON | insert BUTTON [POSITION]
//                                        a right click on the toolbar and that edit in the dialog
//   toolbar metrics WIDTH HEIGHT CHARWIDTH MENUBARHEIGHT
//                                        the work area and the toolbar's font metrics
//   expect toolbar shown | hidden | absent
//   expect toolbar-buttons BUTTON...     the buttons shown, in order
//   expect toolbar-menu has ITEM [enabled | disabled] | lacks ITEM | names N
//                                        the menu shown last holds ITEM / not / N Web Login names
//   expect about TEXT                    the about box shown last holds TEXT
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "browserhost/browse_script.h"
#include "browserhost/headless_browser.h"
#include "browserui/toolband/memory_tool_band_views.h"

namespace veltrix::browserhost {

// Whether the words are a line of the band's.
bool IsBandLine(const std::vector<std::string>& words);
// Checks the shape of a band line; false with `error` set.
bool CheckBandLine(const ScriptLine& line, std::string& error);

class BandScript {
public:
    using WorkAreaSetter = std::function<void(const ui::ScreenRect&)>;

    BandScript(HeadlessBrowser& browser, toolband::MemoryToolBandViews& views,
               WorkAreaSetter setWorkArea, std::ostream& out)
        : m_browser(browser), m_views(views), m_setWorkArea(std::move(setWorkArea)), m_out(out) {}

    // Runs a band line; false with `error` set when it failed.
    bool Run(const std::vector<std::string>& words, std::string& error);

private:
    bool Press(const std::vector<std::string>& words, std::string& error);
    bool Customize(const std::vector<std::string>& words, std::string& error);
    bool Expect(const std::vector<std::string>& words, std::string& error);
    bool ExpectMenu(const std::vector<std::string>& words, std::string& error);
    toolband::MemoryToolbarView* Toolbar(std::string& error);

    HeadlessBrowser& m_browser;
    toolband::MemoryToolBandViews& m_views;
    WorkAreaSetter m_setWorkArea;
    std::ostream& m_out;
};

}  // namespace veltrix::browserhost
