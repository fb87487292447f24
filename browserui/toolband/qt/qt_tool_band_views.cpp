#include "browserui/toolband/qt/qt_tool_band_views.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPointer>
#include <atomic>
#include <map>

#include "browserui/toolband/qt/band_widgets.h"

namespace veltrix::toolband {
namespace {

// Handles of the toolbar windows, as the browser knows them.
std::uint32_t NextHandle() {
    static std::atomic<std::uint32_t> next{0x00C30001};
    return next++;
}

// The toolbar widgets alive, by handle (GUI thread only).
std::map<std::uint32_t, QPointer<QToolBar>>& Widgets() {
    static std::map<std::uint32_t, QPointer<QToolBar>> widgets;
    return widgets;
}

class QtToolbarView final : public IToolbarView {
public:
    explicit QtToolbarView(IToolbarHandler& handler) : m_widget(handler), m_handle(NextHandle()) {
        Widgets()[m_handle] = &m_widget;
    }
    ~QtToolbarView() override { Widgets().erase(m_handle); }

    std::uint32_t WindowHandle() const override { return m_handle; }
    void SetButtons(const std::vector<ToolbarButton>& buttons) override {
        m_widget.SetButtons(buttons);
    }
    void Show(bool show) override { m_widget.setVisible(show); }
    bool IsVisible() const override { return m_widget.isVisible(); }
    int ButtonsWidth() const override { return m_widget.ButtonsWidth(); }
    int AverageCharWidth() const override {
        return QFontMetrics(m_widget.font()).averageCharWidth();
    }
    int MenuBarHeight() const override {
        QMenuBar bar;
        bar.addMenu(QStringLiteral("X"));
        return bar.sizeHint().height();
    }
    std::uint32_t TrackMenu(const Menu& menu, std::uint32_t buttonId) override {
        return m_widget.TrackMenu(menu, buttonId);
    }
    void RunCustomize(CustomizeSession& session) override {
        qt::CCustomizeToolbarDlg dialog(session, &m_widget);
        dialog.exec();
    }
    void ShowAbout(std::u16string_view programName, std::u16string_view version) override {
        qt::ShowAboutBox(&m_widget, programName, version);
    }

private:
    qt::CToolbarWidget m_widget;
    std::uint32_t m_handle;
};

}  // namespace

QToolBar* ToolbarWidgetOf(std::uint32_t handle) {
    const auto it = Widgets().find(handle);
    return it == Widgets().end() ? nullptr : it->second.data();
}

std::unique_ptr<IToolbarView> QtToolBandViews::CreateToolbar(IToolbarHandler& handler) {
    if (QApplication::instance() == nullptr) {
        return IToolBandViews::InMemory().CreateToolbar(handler);
    }
    return std::make_unique<QtToolbarView>(handler);
}

}  // namespace veltrix::toolband
