// The band's Qt widgets, offscreen: the toolbar's buttons and what they report, its drop-down
// menus, and the customisation dialog working on its session.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "browserui/toolband/qt/band_widgets.h"
#include "browserui/toolband/qt/qt_tool_band_views.h"
#include "tests/ui/qt/modal_driver.h"

namespace veltrix::toolband {
namespace {

using ::testing::ElementsAre;

class RecordingHandler final : public IToolbarHandler {
public:
    void OnButtonClick(std::uint32_t id) override {
        events.push_back("click " + std::to_string(id));
    }
    void OnDropDown(std::uint32_t id) override { events.push_back("drop " + std::to_string(id)); }
    void OnRightClick() override { events.push_back("right"); }
    std::vector<std::string> events;
};

QToolButton* ButtonWithText(QWidget& toolbar, const QString& prefix) {
    for (QToolButton* button : toolbar.findChildren<QToolButton*>()) {
        if (button->text().startsWith(prefix)) {
            return button;
        }
    }
    return nullptr;
}

// Chooses the item `text` in the next popup menu, reached through `submenu` when not empty.
void ChooseInNextMenu(const QString& text, const QString& submenu = {}) {
    QTimer::singleShot(50, [text, submenu] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (!submenu.isEmpty() && action->text() == submenu && action->menu() != nullptr) {
                menu = action->menu();
                break;
            }
        }
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                action->trigger();
                QApplication::activePopupWidget()->close();
                return;
            }
        }
        ADD_FAILURE() << "no item " << text.toStdString();
        QApplication::activePopupWidget()->close();
    });
}

TEST(BandWidgetsTest, TheToolbarShowsItsButtonsWithTooltipsAndReportsClicks) {
    RecordingHandler handler;
    qt::CToolbarWidget toolbar(handler);
    toolbar.SetButtons({kButtons.begin(), kButtons.end()});
    ASSERT_NE(ButtonWithText(toolbar, "Web Login"), nullptr);
    EXPECT_EQ(ButtonWithText(toolbar, "Fill")->toolTip(),
              "Fill the form(s) on the current web page.");
    EXPECT_TRUE(ButtonWithText(toolbar, "Help")->toolTip().isEmpty());
    EXPECT_GT(toolbar.ButtonsWidth(), 7 * 16);

    ButtonWithText(toolbar, "Fill")->click();
    ButtonWithText(toolbar, "Veltrix")->click();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {5, 5},
                                 toolbar.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&toolbar, &rightClick);
    EXPECT_THAT(handler.events, ElementsAre("click 61891", "drop 61889", "right"));

    toolbar.SetButtons({kButtons[6]});
    EXPECT_EQ(ButtonWithText(toolbar, "Fill"), nullptr);
    ASSERT_NE(ButtonWithText(toolbar, "Help"), nullptr);
}

TEST(BandWidgetsTest, MenusReturnTheChosenItemAndNothingWhenClosed) {
    RecordingHandler handler;
    QtToolBandViews views;
    const auto toolbar = views.CreateToolbar(handler);
    toolbar->SetButtons({kButtons.begin(), kButtons.end()});
    toolbar->Show(true);
    EXPECT_TRUE(toolbar->IsVisible());
    EXPECT_GT(toolbar->AverageCharWidth(), 0);
    EXPECT_GT(toolbar->MenuBarHeight(), 0);

    Menu menu{{MenuItem::Command(u"Logoff", 40001), MenuItem::Separator(),
               MenuItem::Submenu(u"Toolbar", {MenuItem::Command(u"Hide", 40011)})}};
    ChooseInNextMenu("Logoff");
    EXPECT_EQ(toolbar->TrackMenu(menu, kVeltrixButton), 40001u);
    ChooseInNextMenu("Hide", "Toolbar");
    EXPECT_EQ(toolbar->TrackMenu(menu, kVeltrixButton), 40011u);
    QTimer::singleShot(50, [] { QApplication::activePopupWidget()->close(); });
    EXPECT_EQ(toolbar->TrackMenu(menu, kVeltrixButton), 0u);
}

class HelpCounting final : public CustomizeSession {
public:
    using CustomizeSession::CustomizeSession;
    void Help() override { ++helps; }
    int helps = 0;
};

TEST(BandWidgetsTest, TheCustomizeDialogInsertsDeletesAndResets) {
    HelpCounting session({kVeltrixButton, kFillButton});
    qt::CCustomizeToolbarDlg dialog(session, nullptr);
    const auto lists = dialog.findChildren<QListWidget*>();
    ASSERT_EQ(lists.size(), 2);
    QListWidget* available = lists[0];
    QListWidget* shown = lists[1];
    EXPECT_EQ(available->count(), 5);
    EXPECT_EQ(shown->count(), 2);
    EXPECT_EQ(shown->dragDropMode(), QAbstractItemView::NoDragDrop);
    const auto button = [&](const QString& text) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == text) {
                return b;
            }
        }
        return static_cast<QPushButton*>(nullptr);
    };

    // "Help" (last of the available) goes in front of "Fill".
    available->setCurrentRow(4);
    shown->setCurrentRow(1);
    button("&Add ->")->click();
    EXPECT_THAT(session.Shown(), ElementsAre(kVeltrixButton, kHelpButton, kFillButton));
    shown->setCurrentRow(0);
    button("<- &Remove")->click();
    EXPECT_THAT(session.Shown(), ElementsAre(kHelpButton, kFillButton));
    EXPECT_EQ(available->count(), 5);
    button("R&eset")->click();
    EXPECT_EQ(session.Shown(), DefaultLayout());
    EXPECT_EQ(available->count(), 0);
    button("&Help")->click();
    EXPECT_EQ(session.helps, 1);
}

}  // namespace
}  // namespace veltrix::toolband
