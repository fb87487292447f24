#include "browserui/toolband/memory_tool_band_views.h"

#include <algorithm>

namespace veltrix::toolband {
namespace {

// A button as wide as its image, its text and the margins around them.
constexpr int kImageWidth = 16;
constexpr int kButtonMargins = 8;

}  // namespace

IToolBandViews& IToolBandViews::InMemory() {
    static MemoryToolBandViews views;
    return views;
}

// ---- MemoryToolbarView ----

MemoryToolbarView::MemoryToolbarView(MemoryToolBandViews& views, IToolbarHandler& handler,
                                     std::uint32_t handle)
    : m_views(views), m_handler(handler), m_handle(handle) {}

MemoryToolbarView::~MemoryToolbarView() {
    m_views.Forget(this);
}

int MemoryToolbarView::ButtonsWidth() const {
    int width = 0;
    for (const ToolbarButton& button : m_buttons) {
        width += kImageWidth + kButtonMargins +
                 static_cast<int>(button.text.size()) * m_views.AverageCharWidth();
    }
    return width;
}

int MemoryToolbarView::AverageCharWidth() const {
    return m_views.AverageCharWidth();
}

int MemoryToolbarView::MenuBarHeight() const {
    return m_views.MenuBarHeight();
}

std::uint32_t MemoryToolbarView::TrackMenu(const Menu& menu, std::uint32_t /*buttonId*/) {
    return m_views.TrackMenu(menu);
}

void MemoryToolbarView::RunCustomize(CustomizeSession& session) {
    m_views.RunCustomize(session);
}

void MemoryToolbarView::ShowAbout(std::u16string_view programName, std::u16string_view version) {
    m_views.m_about.push_back(std::u16string(programName) + u" " + std::u16string(version));
}

bool MemoryToolbarView::Press(std::u16string_view buttonText) {
    const auto button = std::find_if(m_buttons.begin(), m_buttons.end(),
                                     [&](const ToolbarButton& b) { return b.text == buttonText; });
    if (button == m_buttons.end()) {
        return false;
    }
    if (button->dropDown) {
        m_handler.OnDropDown(button->commandId);
    } else {
        m_handler.OnButtonClick(button->commandId);
    }
    return true;
}

// ---- MemoryToolBandViews ----

std::unique_ptr<IToolbarView> MemoryToolBandViews::CreateToolbar(IToolbarHandler& handler) {
    auto toolbar = std::make_unique<MemoryToolbarView>(*this, handler, m_nextHandle++);
    m_toolbars.push_back(toolbar.get());
    return toolbar;
}

void MemoryToolBandViews::SetMetrics(int averageCharWidth, int menuBarHeight) {
    m_charWidth = averageCharWidth;
    m_menuBarHeight = menuBarHeight;
}

std::uint32_t MemoryToolBandViews::TrackMenu(const Menu& menu) {
    m_lastMenu = menu;
    ++m_menusShown;
    if (m_choices.empty()) {
        return 0;
    }
    const std::u16string choice = std::move(m_choices.front());
    m_choices.pop_front();
    const MenuItem* item = FindMenuItem(menu, choice);
    if (item == nullptr || !item->enabled) {
        m_failedChoice = choice;
        return 0;
    }
    return item->id;
}

void MemoryToolBandViews::RunCustomize(CustomizeSession& session) {
    ++m_customizeRuns;
    if (m_customizeEdits.empty()) {
        return;
    }
    auto edit = std::move(m_customizeEdits.front());
    m_customizeEdits.pop_front();
    edit(session);
}

void MemoryToolBandViews::Forget(MemoryToolbarView* toolbar) {
    m_toolbars.erase(std::remove(m_toolbars.begin(), m_toolbars.end(), toolbar), m_toolbars.end());
}

}  // namespace veltrix::toolband
