// The band's views: the toolbar window with its buttons, the menus it tracks, the customisation
// dialog and the about box. A program's view factory (ui/views.h) hands out the Qt implementation
// (qt/qt_tool_band_views.h) or the in-memory one (memory_tool_band_views.h); without one the band
// gets InMemory(), whose toolbar shows nothing and whose menus choose nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browserui/toolband/band_buttons.h"
#include "browserui/toolband/band_menu.h"
#include "browserui/toolband/toolbar_layout.h"
#include "ui/views.h"

namespace veltrix::toolband {

// What the toolbar window reports to the band's logic.
class IToolbarHandler {
public:
    // A click on a plain button.
    virtual void OnButtonClick(std::uint32_t commandId) = 0;
    // The drop-down of a drop-down button.
    virtual void OnDropDown(std::uint32_t commandId) = 0;
    // A right click on the toolbar.
    virtual void OnRightClick() = 0;

protected:
    ~IToolbarHandler() = default;
};

// The customisation dialog's model: the buttons shown and those that may be inserted. Only the
// seven buttons exist; each is shown at most once; buttons are inserted and deleted, never moved.
class CustomizeSession {
public:
    explicit CustomizeSession(ToolbarLayout shown) : m_shown(std::move(shown)) {}
    virtual ~CustomizeSession() = default;

    const ToolbarLayout& Shown() const { return m_shown; }
    // The buttons not shown, in the default order.
    ToolbarLayout Available() const;
    // Inserts `commandId` before position `position` (at the end when past it); false for an id
    // that is none of the seven or is shown already.
    bool Insert(std::uint32_t commandId, std::size_t position);
    // Deletes the button at `position`; false when there is none.
    bool Delete(std::size_t position);
    // Deletes every button and adds the seven again in the default order.
    void Reset();
    // The dialog's Help button.
    virtual void Help() {}

private:
    ToolbarLayout m_shown;
};

// The toolbar window of one band.
class IToolbarView {
public:
    virtual ~IToolbarView() = default;

    // The window's handle, for the browser.
    virtual std::uint32_t WindowHandle() const = 0;
    // The buttons shown, in order.
    virtual void SetButtons(const std::vector<ToolbarButton>& buttons) = 0;
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    // The sum of the widths of the buttons shown, in pixels.
    virtual int ButtonsWidth() const = 0;
    // The average character width of the toolbar's font and the menu bar's height, in pixels.
    virtual int AverageCharWidth() const = 0;
    virtual int MenuBarHeight() const = 0;
    // Shows `menu` under the button `buttonId` until the user chooses or dismisses it; the chosen
    // item's id, or 0.
    virtual std::uint32_t TrackMenu(const Menu& menu, std::uint32_t buttonId) = 0;
    // Runs the customisation dialog on `session` (modal).
    virtual void RunCustomize(CustomizeSession& session) = 0;
    // The about box with the program's name and version (modal).
    virtual void ShowAbout(std::u16string_view programName, std::u16string_view version) = 0;
};

class IToolBandViews : public ui::IFeatureViews {
public:
    static constexpr std::string_view kFeature = "toolband";

    std::string_view Feature() const final { return kFeature; }

    // A toolbar window, created hidden, that reports to `handler` (which outlives it).
    virtual std::unique_ptr<IToolbarView> CreateToolbar(IToolbarHandler& handler) = 0;

    static IToolBandViews& InMemory();
};

inline IToolBandViews& ToolBandViews() {
    return ui::CurrentViews<IToolBandViews>();
}

}  // namespace veltrix::toolband
