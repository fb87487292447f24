// Building blocks of the sheet's pages: edits and lists named after the key they edit, labels
// with their mnemonic, phone rows, and the conversions between controls and texts.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>
#include <string>
#include <string_view>

#include "editor/identity/choice_lists.h"

namespace veltrix::editor::identity {

// Refuses typing beyond a number of characters without cutting a longer text set from a record
// (QLineEdit's own limit would cut it, and storing would then lose the rest).
class MaxLengthValidator : public QValidator {
public:
    MaxLengthValidator(int maxLength, QObject* parent) : QValidator(parent), m_max(maxLength) {}
    State validate(QString& input, int& position) const override;

private:
    int m_max;
};

// Widgets named after the key they edit (objectName), so that tests and reviews find them.
QLineEdit* MakeEdit(QWidget* parent, std::u16string_view key);
QPlainTextEdit* MakeNotes(QWidget* parent, std::u16string_view key);
QComboBox* MakeList(QWidget* parent, std::u16string_view key);
// A label whose "&" marks the mnemonic that moves the focus to `buddy`.
QLabel* MakeLabel(QWidget* parent, std::u16string_view text, QWidget* buddy);
// The area and number edits of a phone row side by side, the area one narrow.
QWidget* PhoneRow(QWidget* parent, QLineEdit* area, QLineEdit* number);

// Fills `list` with `choices` and selects the entry `selected` (none when it is not an entry),
// without announcing the change.
void FillList(QComboBox* list, const Choices& choices, std::u16string_view selected);
// Selects the entry `selected` of `list`, or none, without announcing the change.
void SelectEntry(QComboBox* list, std::u16string_view selected);
std::u16string ListText(const QComboBox* list);
std::u16string EditText(const QLineEdit* edit);
// A multi-line edit's text with CR LF between its lines, as records keep it.
std::u16string EditText(const QPlainTextEdit* edit);
// Sets the text without announcing the change.
void SetEditText(QLineEdit* edit, std::u16string_view text);
void SetEditText(QPlainTextEdit* edit, std::u16string_view text);

}  // namespace veltrix::editor::identity
