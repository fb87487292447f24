#include "editor/identity/page_widgets.h"

#include <QHBoxLayout>
#include <QSignalBlocker>

#include "editor/identity/line_breaks.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::identity {

using ui::qt::FromQString;
using ui::qt::ToQString;

QValidator::State MaxLengthValidator::validate(QString& input, int& /*position*/) const {
    return input.size() <= m_max ? Acceptable : Invalid;
}

QLineEdit* MakeEdit(QWidget* parent, std::u16string_view key) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(ToQString(key));
    return edit;
}

QPlainTextEdit* MakeNotes(QWidget* parent, std::u16string_view key) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(ToQString(key));
    edit->setTabChangesFocus(true);
    return edit;
}

QComboBox* MakeList(QWidget* parent, std::u16string_view key) {
    auto* list = new QComboBox(parent);
    list->setObjectName(ToQString(key));
    list->setEditable(false);
    return list;
}

QLabel* MakeLabel(QWidget* parent, std::u16string_view text, QWidget* buddy) {
    auto* label = new QLabel(ToQString(text), parent);
    label->setBuddy(buddy);
    return label;
}

QWidget* PhoneRow(QWidget* parent, QLineEdit* area, QLineEdit* number) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    area->setParent(row);
    number->setParent(row);
    area->setMaximumWidth(70);
    layout->addWidget(area);
    layout->addWidget(number, 1);
    return row;
}

void FillList(QComboBox* list, const Choices& choices, std::u16string_view selected) {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::u16string& choice : choices) {
        list->addItem(ToQString(choice));
    }
    SelectEntry(list, selected);
}

void SelectEntry(QComboBox* list, std::u16string_view selected) {
    const QSignalBlocker blocker(list);
    const int index =
        list->findText(ToQString(selected), Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(index);
}

std::u16string ListText(const QComboBox* list) {
    return list->currentIndex() < 0 ? std::u16string() : FromQString(list->currentText());
}

std::u16string EditText(const QLineEdit* edit) {
    return FromQString(edit->text());
}

std::u16string EditText(const QPlainTextEdit* edit) {
    return ToStoredLines(FromQString(edit->toPlainText()));
}

void SetEditText(QLineEdit* edit, std::u16string_view text) {
    const QSignalBlocker blocker(edit);
    edit->setText(ToQString(text));
}

void SetEditText(QPlainTextEdit* edit, std::u16string_view text) {
    const QSignalBlocker blocker(edit);
    edit->setPlainText(ToQString(ToEditorLines(text)));
}

}  // namespace veltrix::editor::identity
