#include "formengine/qt/password_generator_dlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

#include "formengine/generator/password_pool.h"
#include "ui/qt/qt_support.h"

namespace veltrix::generator::qt {
namespace {

using ui::qt::FromQString;
using ui::qt::OpenHelp;
using ui::qt::ToQString;

// The output edit shows this many characters before it scrolls.
constexpr int kOutputWidthChars = 40;

QCheckBox* MakeCheck(QWidget* parent, std::u16string_view text, const char* name) {
    auto* box = new QCheckBox(ToQString(text), parent);
    box->setObjectName(name);
    return box;
}

QPushButton* MakeButton(QWidget* parent, std::u16string_view text, const char* name) {
    auto* button = new QPushButton(ToQString(text), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFixedSize(18, 12);
    return button;
}

}  // namespace

CPasswordGeneratorDlg::CPasswordGeneratorDlg(IGeneratorHandler& handler)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_handler(handler) {
    setWindowTitle(ToQString(GeneratorCaption()));
    // Closing the generator never ends the program that shows it.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeLengthGroup());
    layout->addWidget(MakeCharactersGroup());
    layout->addWidget(MakePasswordGroup());
    layout->addLayout(MakeCloseRow());
    adjustSize();
}

QWidget* CPasswordGeneratorDlg::MakeLengthGroup() {
    auto* group = new QGroupBox(ToQString(kLengthGroup), this);
    auto* row = new QHBoxLayout(group);
    m_length = new QLineEdit(group);
    m_length->setObjectName(kLengthEditName);
    m_length->setMaxLength(10);
    m_length->setFixedWidth(m_length->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    QToolButton* up = MakeArrow(group, Qt::UpArrow, kLengthUpName);
    QToolButton* down = MakeArrow(group, Qt::DownArrow, kLengthDownName);
    arrows->addWidget(up);
    arrows->addWidget(down);
    row->addWidget(m_length);
    row->addLayout(arrows);
    row->addStretch();
    connect(up, &QToolButton::clicked, this, [this] { StepLength(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepLength(-1); });
    return group;
}

QWidget* CPasswordGeneratorDlg::MakeCharactersGroup() {
    auto* group = new QGroupBox(ToQString(kCharactersGroup), this);
    auto* column = new QVBoxLayout(group);
    m_upper = MakeCheck(group, kUpperCheck, kUpperCheckName);
    m_lower = MakeCheck(group, kLowerCheck, kLowerCheckName);
    m_numbers = MakeCheck(group, kNumbersCheck, kNumbersCheckName);
    m_similar = MakeCheck(group, kSimilarCheck, kSimilarCheckName);
    m_special = MakeCheck(group, kSpecialCheck, kSpecialCheckName);
    for (QCheckBox* box : {m_upper, m_lower, m_numbers, m_similar}) {
        column->addWidget(box);
    }
    auto* specialRow = new QHBoxLayout;
    m_specialSet = new QLineEdit(group);
    m_specialSet->setObjectName(kSpecialSetEditName);
    QPushButton* reset = MakeButton(group, kResetButton, kResetButtonName);
    specialRow->addWidget(m_special);
    specialRow->addWidget(m_specialSet, 1);
    specialRow->addWidget(reset);
    column->addLayout(specialRow);
    // A click on exclude similar refreshes nothing.
    for (QCheckBox* box : {m_upper, m_lower, m_numbers, m_special}) {
        connect(box, &QCheckBox::clicked, this, [this] { m_handler.OnClassClicked(); });
    }
    connect(reset, &QPushButton::clicked, this, [this] { m_handler.OnReset(); });
    return group;
}

QWidget* CPasswordGeneratorDlg::MakePasswordGroup() {
    auto* group = new QGroupBox(ToQString(kPasswordGroup), this);
    auto* row = new QHBoxLayout(group);
    m_output = new QLineEdit(group);
    m_output->setObjectName(kOutputEditName);
    m_output->setMinimumWidth(m_output->fontMetrics().averageCharWidth() * kOutputWidthChars);
    m_generate = MakeButton(group, kGenerateButton, kGenerateButtonName);
    m_fill = MakeButton(group, kFillButton, kFillButtonName);
    m_copy = MakeButton(group, kCopyButton, kCopyButtonName);
    row->addWidget(m_output, 1);
    row->addWidget(m_generate);
    row->addWidget(m_fill);
    row->addWidget(m_copy);
    // Only the user's typing is reported: the logic's own SetOutput uses setText.
    connect(m_output, &QLineEdit::textEdited, this, [this] { m_handler.OnOutputChanged(); });
    connect(m_generate, &QPushButton::clicked, this, [this] { m_handler.OnGenerate(); });
    connect(m_fill, &QPushButton::clicked, this, [this] { m_handler.OnFill(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { m_handler.OnCopy(); });
    return group;
}

QLayout* CPasswordGeneratorDlg::MakeCloseRow() {
    auto* row = new QHBoxLayout;
    QPushButton* close = MakeButton(this, kCloseButton, kCloseButtonName);
    QPushButton* help = MakeButton(this, kHelpButton, kHelpButtonName);
    close->setDefault(true);
    close->setAutoDefault(true);
    row->addStretch();
    row->addWidget(close);
    row->addWidget(help);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(help, &QPushButton::clicked, this, [] { OpenHelp(kGeneratorHelpContext); });
    return row;
}

void CPasswordGeneratorDlg::keyPressEvent(QKeyEvent* event) {
    // The arrow keys in the length field step it, as the attached up-down control does.
    if (m_length->hasFocus() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        StepLength(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPasswordGeneratorDlg::StepLength(int delta) {
    // From text that is no number the arrows go to the nearest end of the range.
    bool number = false;
    int length = m_length->text().trimmed().toInt(&number);
    length = number ? length + delta : (delta > 0 ? kMinLength : kMaxLength);
    m_length->setText(QString::number(std::clamp(length, kMinLength, kMaxLength)));
}

GeneratorControls CPasswordGeneratorDlg::Controls() const {
    GeneratorControls controls;
    controls.lengthText = FromQString(m_length->text());
    controls.upper = m_upper->isChecked();
    controls.lower = m_lower->isChecked();
    controls.numbers = m_numbers->isChecked();
    controls.excludeSimilar = m_similar->isChecked();
    controls.special = m_special->isChecked();
    controls.specialSet = FromQString(m_specialSet->text());
    return controls;
}

void CPasswordGeneratorDlg::SetControls(const GeneratorControls& controls) {
    m_length->setText(ToQString(controls.lengthText));
    m_upper->setChecked(controls.upper);
    m_lower->setChecked(controls.lower);
    m_numbers->setChecked(controls.numbers);
    m_similar->setChecked(controls.excludeSimilar);
    m_special->setChecked(controls.special);
    m_specialSet->setText(ToQString(controls.specialSet));
}

std::u16string CPasswordGeneratorDlg::Output() const {
    return FromQString(m_output->text());
}

void CPasswordGeneratorDlg::SetOutput(std::u16string_view text) {
    m_output->setText(ToQString(text));
}

QWidget* CPasswordGeneratorDlg::Control(GeneratorControl control) const {
    switch (control) {
        case GeneratorControl::Generate:
            return m_generate;
        case GeneratorControl::Fill:
            return m_fill;
        case GeneratorControl::Copy:
            return m_copy;
        case GeneratorControl::SpecialSet:
            return m_specialSet;
    }
    return m_generate;
}

void CPasswordGeneratorDlg::SetEnabled(GeneratorControl control, bool enabled) {
    Control(control)->setEnabled(enabled);
}

bool CPasswordGeneratorDlg::IsEnabled(GeneratorControl control) const {
    return Control(control)->isEnabled();
}

void CPasswordGeneratorDlg::FocusLength() {
    m_length->setFocus();
    m_length->selectAll();
}

void CPasswordGeneratorDlg::ShowAt(std::int32_t x, std::int32_t y) {
    move(x, y);
    show();
    raise();
    activateWindow();
}

}  // namespace veltrix::generator::qt
