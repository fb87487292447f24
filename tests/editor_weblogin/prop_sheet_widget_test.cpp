// The Web Login sheet's widgets, offscreen: the controls and the field list, the Edit button's
// enabling, editing by button, double click, Return and the pop-up menu, copying, and the page's
// values going into the record.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "editor/qt/name_prompt_dialog.h"
#include "editor/weblogin/qt/dialog_field_data_prompt.h"
#include "editor/weblogin/qt/prop_page_web_login.h"
#include "editor/weblogin/qt/prop_sheet_web_login.h"
#include "tests/editor_weblogin/scripted_field_prompt.h"
#include "tests/ui/qt/modal_driver.h"
#include "ui/scripted_ui.h"

namespace veltrix::editor {
namespace {

using namespace weblogin;

CWebLogin SampleLogin() {
    CWebLogin login;
    login.SetPageUrl(u"https://bank.example/login");
    login.SetNotes(u"Branch 12\r\nCall before 5");
    login.AddField({u"token", 0, 10, u"f00d", 0});
    login.AddField({u"user", 0, 0, u"annlee", 0});
    login.AddField({u"pass", 0, 1, u"s3cret", 0});
    login.AddField({u"remember", 0, 2, u"on", 0});
    login.AddField({u"signin", 0, 12, u"Sign in", 0});
    login.AddField({u"region", 1, 13, u"North", 0});
    return login;
}

class PropSheetWidgetTest : public testing::Test {
protected:
    PropSheetWidgetTest() {
        Page()->SetFieldDataPrompt(&m_prompt);
        Page()->SetAddressOpener(
            [this](std::u16string_view address) { m_opened.emplace_back(address); });
        m_sheet.Attach(&m_login);
        m_sheet.resize(520, 460);
        m_sheet.show();
        QApplication::processEvents();
    }
    ~PropSheetWidgetTest() override { m_sheet.Attach(nullptr); }

    CPropPageWebLogin* Page() const { return m_sheet.Page(); }
    QTableWidget* List() const { return Page()->FieldList(); }
    template <class W>
    W* Find(const char* name) const {
        W* widget = m_sheet.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QPushButton* EditButton() const { return Find<QPushButton>(kEditName); }
    QString Cell(int row, int column) const { return List()->item(row, column)->text(); }
    void SelectRows(std::initializer_list<int> rows) {
        List()->clearSelection();
        for (int row : rows) {
            List()->selectionModel()->select(
                List()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QPoint RowPoint(int row) const { return List()->visualItemRect(List()->item(row, 1)).center(); }

    ui::ScriptedUi m_ui;
    test::ScriptedFieldPrompt m_prompt;
    CWebLogin m_login = SampleLogin();
    CPropSheetWebLogin m_sheet{m_ui};
    std::vector<std::u16string> m_opened;
};

TEST_F(PropSheetWidgetTest, ControlsListAndRowsAreThoseOfThePage) {
    EXPECT_EQ(m_sheet.count(), 1);
    EXPECT_EQ(m_sheet.tabText(0), "Web Login");
    EXPECT_EQ(m_sheet.HelpTopic(), 925);
    EXPECT_TRUE(m_sheet.ValidateActivePage());

    std::map<QString, QWidget*> buddies;
    for (QLabel* label : m_sheet.findChildren<QLabel*>()) {
        buddies[label->text()] = label->buddy();
    }
    EXPECT_EQ(buddies["&URL:"], Find<QLineEdit>(kAddressName));
    EXPECT_EQ(buddies["&Notes:"], Find<QPlainTextEdit>(kNotesName));
    EXPECT_EQ(buddies["&Form Data:"], List());
    EXPECT_EQ(Find<QCheckBox>(kNoAutoSubmitName)->text(),
              "&Disable auto-submit for this Web Login");
    EXPECT_EQ(Find<QPushButton>(kOpenName)->text(), "&Open");
    EXPECT_EQ(EditButton()->text(), "&Edit...");

    ASSERT_EQ(List()->columnCount(), 3);
    const std::array<std::pair<const char*, int>, 3> columns = {
        {{"Field Name", 128}, {"Field Data", 128}, {"Field Type", 112}}};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(List()->horizontalHeaderItem(column)->text(), columns[column].first);
        EXPECT_EQ(List()->columnWidth(column), columns[column].second);
    }
    EXPECT_EQ(List()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(List()->showGrid());

    // The hidden field and the submit button are left out; the rest keep the record's order.
    ASSERT_EQ(List()->rowCount(), 4);
    const std::array<std::array<const char*, 3>, 4> rows = {{
        {"user", "annlee", "Text"},
        {"pass", "s3cret", "Password"},
        {"remember [on]", "Not checked", "Check Box"},
        {"region", "North", "Select"},
    }};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(Cell(row, column), rows[row][column]) << row << "," << column;
        }
    }
    EXPECT_EQ(Find<QLineEdit>(kAddressName)->text(), "https://bank.example/login");
    EXPECT_EQ(Find<QPlainTextEdit>(kNotesName)->toPlainText(), "Branch 12\nCall before 5");
}

TEST_F(PropSheetWidgetTest, EditIsEnabledExactlyWhileOneRowIsSelected) {
    EXPECT_FALSE(EditButton()->isEnabled());
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(1));
    EXPECT_TRUE(EditButton()->isEnabled());
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(2));
    EXPECT_FALSE(EditButton()->isEnabled());
    QTest::mouseClick(List()->viewport(), Qt::RightButton, {}, RowPoint(3));
    EXPECT_TRUE(EditButton()->isEnabled());
    List()->clearSelection();
    EXPECT_FALSE(EditButton()->isEnabled());

    SelectRows({0});
    m_sheet.Attach(&m_login);
    EXPECT_FALSE(EditButton()->isEnabled());
    EXPECT_TRUE(List()->selectionModel()->selectedRows().isEmpty());
}

TEST_F(PropSheetWidgetTest, TheEditButtonAsksAgainAfterAnInvalidWord) {
    QSignalSpy changed(&m_sheet, &CPropSheetWebLogin::Changed);
    SelectRows({2});
    m_prompt.Queue(u"sure");
    m_prompt.Queue(u"checked");
    QTest::mouseClick(EditButton(), Qt::LeftButton);

    ASSERT_EQ(m_prompt.Asks().size(), 2u);
    EXPECT_EQ(m_prompt.Asks()[0].prompt,
              u"Make your changes to the Web Login field \"remember [on]\" ...");
    EXPECT_EQ(m_prompt.Asks()[0].text, u"Not checked");
    EXPECT_EQ(
        m_ui.MessageTexts(),
        (std::vector<std::u16string>{u"Invalid data - must be \"Checked\" or \"Not checked\""}));
    EXPECT_EQ(m_login.GetFields()[3].state, 1);
    EXPECT_EQ(Cell(2, 1), "Checked");
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(PropSheetWidgetTest, ReturnAndDoubleClickEditTheFirstSelectedRow) {
    QSignalSpy changed(&m_sheet, &CPropSheetWebLogin::Changed);
    SelectRows({3, 0});
    List()->setFocus();
    m_prompt.Queue(u"");
    QTest::keyClick(List(), Qt::Key_Return);
    ASSERT_EQ(m_prompt.Asks().size(), 1u);
    EXPECT_EQ(m_prompt.Asks()[0].text, u"annlee");
    EXPECT_EQ(m_login.GetFields()[1].data, u"");
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(changed.count(), 1);

    m_prompt.Queue(u"n3w pass");
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(1));
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, RowPoint(1));
    ASSERT_EQ(m_prompt.Asks().size(), 2u);
    EXPECT_EQ(m_prompt.Asks()[1].text, u"s3cret");
    EXPECT_EQ(m_login.GetFields()[2].data, u"n3w pass");
    EXPECT_EQ(Cell(1, 1), "n3w pass");

    // Cancel changes nothing.
    QTest::keyClick(List(), Qt::Key_Enter);
    EXPECT_EQ(m_prompt.Asks().size(), 3u);
    EXPECT_EQ(m_login.GetFields()[2].data, u"n3w pass");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(PropSheetWidgetTest, ThePopUpMenuEditsAndCopiesOnlyOnARowWhileEditIsEnabled) {
    EXPECT_EQ(Page()->FieldMenuAt(RowPoint(0)), nullptr);
    SelectRows({0, 1});
    EXPECT_EQ(Page()->FieldMenuAt(RowPoint(0)), nullptr);
    SelectRows({1});
    EXPECT_EQ(Page()->FieldMenuAt(QPoint(5, List()->viewport()->height() - 3)), nullptr);

    auto menu = Page()->FieldMenuAt(RowPoint(1));
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "&Edit Field Data");
    EXPECT_EQ(actions[1]->text(), "&Copy Field Data");
    actions[1]->trigger();
    EXPECT_EQ(m_ui.ClipboardText(), u"s3cret");

    SelectRows({2});
    Page()->CopySelectedField();
    EXPECT_EQ(m_ui.ClipboardText(), u"Not checked");

    // A word that is no state is refused; the dialog comes back with it and is cancelled.
    m_prompt.Queue(u"Ann");
    actions[0]->trigger();
    ASSERT_EQ(m_prompt.Asks().size(), 2u);
    EXPECT_EQ(m_prompt.Asks()[0].text, u"Not checked");
    EXPECT_EQ(m_prompt.Asks()[1].text, u"Ann");
    EXPECT_EQ(m_login.GetFields()[3].state, 0);
    EXPECT_EQ(Cell(2, 1), "Not checked");
    EXPECT_EQ(m_ui.MessageTexts().size(), 1u);
}

TEST_F(PropSheetWidgetTest, AddressNotesAndTickGoIntoTheRecordAtEveryChange) {
    QSignalSpy changed(&m_sheet, &CPropSheetWebLogin::Changed);
    auto* tick = Find<QCheckBox>(kNoAutoSubmitName);
    tick->click();
    EXPECT_EQ(m_login.GetOptions(), 1);
    tick->click();
    EXPECT_EQ(m_login.GetOptions(), 0);
    Find<QLineEdit>(kAddressName)->setText("https://bank.example/new");
    EXPECT_EQ(m_login.GetPageUrl(), u"https://bank.example/new");
    Find<QPlainTextEdit>(kNotesName)->setPlainText("one\ntwo");
    EXPECT_EQ(m_login.GetNotes(), u"one\r\ntwo");
    EXPECT_EQ(changed.count(), 4);

    QTest::mouseClick(Find<QPushButton>(kOpenName), Qt::LeftButton);
    EXPECT_EQ(m_opened, (std::vector<std::u16string>{u"https://bank.example/new"}));

    // Showing a record is no change.
    CWebLogin other;
    other.SetOptions(5);
    m_sheet.Attach(&other);
    EXPECT_TRUE(tick->isChecked());
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(other.GetOptions(), 5);
}

TEST_F(PropSheetWidgetTest, ARecordOfHiddenFieldsShowsAnEmptyList) {
    CWebLogin hidden;
    hidden.AddField({u"a", 0, 10, u"1", 0});
    hidden.AddField({u"b", 0, 10, u"2", 0});
    m_sheet.Attach(&hidden);
    EXPECT_EQ(List()->rowCount(), 0);
    Page()->EditSelectedField();
    Page()->CopySelectedField();
    EXPECT_TRUE(m_prompt.Asks().empty());
    EXPECT_FALSE(m_ui.ClipboardText().has_value());
}

TEST_F(PropSheetWidgetTest, AnEditWhoseRecordWasLetGoOfMeanwhileIsDropped) {
    QSignalSpy changed(&m_sheet, &CPropSheetWebLogin::Changed);
    CWebLogin next = SampleLogin();
    SelectRows({0});
    m_prompt.WhileOpen([&] {
        m_sheet.Attach(nullptr);
        m_sheet.Attach(&next);
    });
    m_prompt.Queue(u"mallory");
    Page()->EditSelectedField();
    EXPECT_EQ(next.GetFields()[1].data, u"annlee");
    EXPECT_EQ(m_login.GetFields()[1].data, u"annlee");
    EXPECT_EQ(Cell(0, 1), "annlee");
    EXPECT_EQ(changed.count(), 0);
}

TEST(FieldDataDialogTest, TheNamePromptShowsTheFieldAndAcceptsAnEmptyText) {
    test::ModalWatchdog watchdog;
    QWidget parent;
    DialogFieldDataPrompt prompt(&parent);
    bool okWhenEmpty = false;
    QString title;
    QString promptText;
    QString shownText;
    test::OnModal<qt::CNamePromptDlg>([&](qt::CNamePromptDlg* dialog) {
        title = dialog->windowTitle();
        promptText = dialog->findChild<QLabel*>()->text();
        shownText = dialog->Edit()->text();
        dialog->Edit()->clear();
        okWhenEmpty = dialog->OkButton()->isEnabled();
        dialog->OkButton()->click();
    });
    EXPECT_EQ(prompt.Ask(u"Edit Web Login Field Data", u"Make your changes ...", u"annlee"), u"");
    EXPECT_EQ(title, "Edit Web Login Field Data");
    EXPECT_EQ(promptText, "Make your changes ...");
    EXPECT_EQ(shownText, "annlee");
    EXPECT_TRUE(okWhenEmpty);

    test::OnModal<qt::CNamePromptDlg>([](qt::CNamePromptDlg* dialog) { dialog->reject(); });
    EXPECT_EQ(prompt.Ask(u"c", u"p", u"x"), std::nullopt);

    // A name for a new record still needs a text.
    qt::CNamePromptDlg names(u"Web Login");
    names.Edit()->setText("a");
    names.Edit()->clear();
    EXPECT_FALSE(names.OkButton()->isEnabled());
}

}  // namespace
}  // namespace veltrix::editor
