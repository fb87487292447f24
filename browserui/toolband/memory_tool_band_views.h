// The band's views in memory, for the headless host and the tests: the toolbar records what it
// shows; menus choose the items queued by their text (or close with nothing); customisation runs
// the queued edits; the about box records its text.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browserui/toolband/tool_band_views.h"

namespace veltrix::toolband {

class MemoryToolBandViews;

class MemoryToolbarView final : public IToolbarView {
public:
    MemoryToolbarView(MemoryToolBandViews& views, IToolbarHandler& handler, std::uint32_t handle);
    ~MemoryToolbarView() override;

    std::uint32_t WindowHandle() const override { return m_handle; }
    void SetButtons(const std::vector<ToolbarButton>& buttons) override { m_buttons = buttons; }
    void Show(bool show) override { m_visible = show; }
    bool IsVisible() const override { return m_visible; }
    int ButtonsWidth() const override;
    int AverageCharWidth() const override;
    int MenuBarHeight() const override;
    std::uint32_t TrackMenu(const Menu& menu, std::uint32_t buttonId) override;
    void RunCustomize(CustomizeSession& session) override;
    void ShowAbout(std::u16string_view programName, std::u16string_view version) override;

    const std::vector<ToolbarButton>& Buttons() const { return m_buttons; }
    // The user's actions: a click on the button with this text (its drop-down for a drop-down
    // button), and a right click. False when no such button is shown.
    bool Press(std::u16string_view buttonText);
    void RightClick() { m_handler.OnRightClick(); }

private:
    MemoryToolBandViews& m_views;
    IToolbarHandler& m_handler;
    std::uint32_t m_handle;
    std::vector<ToolbarButton> m_buttons;
    bool m_visible = false;
};

class MemoryToolBandViews : public IToolBandViews {
public:
    std::unique_ptr<IToolbarView> CreateToolbar(IToolbarHandler& handler) override;

    // The toolbar created last that still exists; null when none.
    MemoryToolbarView* Toolbar() const { return m_toolbars.empty() ? nullptr : m_toolbars.back(); }

    // Metrics the toolbars report.
    void SetMetrics(int averageCharWidth, int menuBarHeight);
    int AverageCharWidth() const { return m_charWidth; }
    int MenuBarHeight() const { return m_menuBarHeight; }

    // The next menus shown choose these items, one a menu, by text (FindMenuItem's paths); a menu
    // shown with nothing queued closes with nothing chosen.
    void QueueChoice(std::u16string path) { m_choices.push_back(std::move(path)); }
    void ClearChoices() { m_choices.clear(); }
    // The next customisation dialog runs `edit` on its session.
    void QueueCustomize(std::function<void(CustomizeSession&)> edit) {
        m_customizeEdits.push_back(std::move(edit));
    }

    // The menu shown last, how many were shown, and the choice that found no enabled item.
    const std::optional<Menu>& LastMenu() const { return m_lastMenu; }
    std::size_t MenusShown() const { return m_menusShown; }
    const std::optional<std::u16string>& FailedChoice() const { return m_failedChoice; }
    void ClearFailedChoice() { m_failedChoice.reset(); }
    std::size_t PendingChoices() const { return m_choices.size(); }
    // Texts of the about boxes shown.
    const std::vector<std::u16string>& AboutBoxes() const { return m_about; }
    std::size_t CustomizeRuns() const { return m_customizeRuns; }

private:
    friend class MemoryToolbarView;

    std::uint32_t TrackMenu(const Menu& menu);
    void RunCustomize(CustomizeSession& session);
    void Forget(MemoryToolbarView* toolbar);

    std::vector<MemoryToolbarView*> m_toolbars;
    std::uint32_t m_nextHandle = 0x00B20001;
    int m_charWidth = 6;
    int m_menuBarHeight = 19;
    std::deque<std::u16string> m_choices;
    std::deque<std::function<void(CustomizeSession&)>> m_customizeEdits;
    std::optional<Menu> m_lastMenu;
    std::size_t m_menusShown = 0;
    std::optional<std::u16string> m_failedChoice;
    std::vector<std::u16string> m_about;
    std::size_t m_customizeRuns = 0;
};

}  // namespace veltrix::toolband
