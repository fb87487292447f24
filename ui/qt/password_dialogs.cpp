#include "ui/qt/password_dialogs.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/password_rules.h"
#include "ui/qt/qt_support.h"

namespace veltrix::ui::qt {
namespace {

// Dialog units of the dialog's font: a quarter of the average character width horizontally, an
// eighth of the character height vertically. The dialogs' proportions are given in these units.
class DialogUnits {
public:
    explicit DialogUnits(const QWidget& widget)
        : m_charWidth(widget.fontMetrics().averageCharWidth()),
          m_charHeight(widget.fontMetrics().height()) {}
    int X(int units) const { return (units * m_charWidth + 2) / 4; }
    int Y(int units) const { return (units * m_charHeight + 4) / 8; }

private:
    int m_charWidth;
    int m_charHeight;
};

// Layout sizes, in dialog units.
constexpr int kMargin = 7;
constexpr int kEditWidth = 172;
constexpr int kControlHeight = 14;
constexpr int kButtonWidth = 50;
constexpr int kButtonGap = 11;

QLineEdit* MakePasswordEdit(QWidget* parent, const DialogUnits& du, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(static_cast<int>(kMaxPasswordLength));
    edit->setMinimumSize(du.X(kEditWidth), du.Y(kControlHeight));
    return edit;
}

// A label filling `height` dialog units (its text and the gap below it), wrapping within the
// width the edits give the dialog and growing only for a text that needs more lines.
QLabel* MakeLabel(QWidget* parent, const DialogUnits& du, std::u16string_view text, int height,
                  const char* name = nullptr) {
    auto* label = new QLabel(ToQString(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMinimumHeight(du.Y(height));
    label->setContentsMargins(0, 0, 0, du.Y(3));
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    if (name != nullptr) {
        label->setObjectName(name);
    }
    return label;
}

struct ButtonRow {
    QPushButton* ok;
    QHBoxLayout* layout;
};

// "&OK" (default, disabled until the entry is acceptable), "&Cancel" and "Help" in one row of
// equal buttons spanning the dialog.
ButtonRow MakeButtons(QDialog* dialog, const DialogUnits& du) {
    auto* layout = new QHBoxLayout;
    layout->setSpacing(du.X(kButtonGap));
    auto add = [&](const char* text, const char* name) {
        auto* button = new QPushButton(QString::fromUtf8(text), dialog);
        button->setObjectName(name);
        button->setMinimumSize(du.X(kButtonWidth), du.Y(kControlHeight));
        layout->addWidget(button);
        return button;
    };
    QPushButton* ok = add("&OK", kOkButtonName);
    QPushButton* cancel = add("&Cancel", kCancelButtonName);
    QPushButton* help = add("Help", kHelpButtonName);
    ok->setDefault(true);
    ok->setEnabled(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    QObject::connect(help, &QPushButton::clicked, dialog, [] { OpenHelp(kPasswordHelpContext); });
    return {ok, layout};
}

// A fixed-size vertical layout with the dialog's margins and only explicit spacing.
QVBoxLayout* MakeDialogLayout(QDialog* dialog, const DialogUnits& du) {
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(du.X(kMargin), du.Y(kMargin), du.X(kMargin), du.Y(kMargin));
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

}  // namespace

CEnterPasswordDlg::CEnterPasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(kEnterPasswordTitle));
    const DialogUnits du(*this);
    QVBoxLayout* layout = MakeDialogLayout(this, du);

    // 186 x 71: label at y 7, edit at y 26, buttons at y 50.
    layout->addWidget(MakeLabel(this, du, kEnterPasswordLabel, 26 - kMargin, kPromptLabelName));
    m_password = MakePasswordEdit(this, du, kPasswordEditName);
    layout->addWidget(m_password);
    layout->addSpacing(du.Y(50 - 26 - kControlHeight));
    ButtonRow buttons = MakeButtons(this, du);
    m_ok = buttons.ok;
    layout->addLayout(buttons.layout);

    connect(m_password, &QLineEdit::textChanged, this, &CEnterPasswordDlg::UpdateOk);
    m_password->setFocus();
}

std::u16string CEnterPasswordDlg::Password() const {
    return FromQString(m_password->text());
}

void CEnterPasswordDlg::accept() {
    if (EnterPasswordAcceptable(Password())) {
        QDialog::accept();
    }
}

void CEnterPasswordDlg::UpdateOk() {
    m_ok->setEnabled(EnterPasswordAcceptable(Password()));
}

CChoosePasswordDlg::CChoosePasswordDlg(QWidget* parent, Variant variant) : QDialog(parent) {
    const bool master = variant == Variant::MasterPassword;
    setWindowTitle(ToQString(master ? kChoosePasswordTitle : kOtherPasswordTitle));
    const DialogUnits du(*this);
    QVBoxLayout* layout = MakeDialogLayout(this, du);

    // 186 x 107: label at y 7 (room for two lines), edit 1 at y 30, "Confirm password:" at y 49,
    // edit 2 at y 62, buttons at y 86.
    m_prompt = MakeLabel(this, du, master ? kChoosePasswordLabel : kOtherPasswordPrompt,
                         30 - kMargin, kPromptLabelName);
    layout->addWidget(m_prompt);
    m_password = MakePasswordEdit(this, du, kPasswordEditName);
    layout->addWidget(m_password);
    layout->addSpacing(du.Y(49 - 30 - kControlHeight));
    layout->addWidget(MakeLabel(this, du, kConfirmPasswordLabel, 62 - 49));
    m_confirm = MakePasswordEdit(this, du, kConfirmEditName);
    layout->addWidget(m_confirm);
    layout->addSpacing(du.Y(86 - 62 - kControlHeight));
    ButtonRow buttons = MakeButtons(this, du);
    m_ok = buttons.ok;
    layout->addLayout(buttons.layout);

    connect(m_password, &QLineEdit::textChanged, this, &CChoosePasswordDlg::UpdateOk);
    connect(m_confirm, &QLineEdit::textChanged, this, &CChoosePasswordDlg::UpdateOk);
    m_password->setFocus();
}

void CChoosePasswordDlg::SetTitle(std::u16string_view title) {
    setWindowTitle(ToQString(title));
}

void CChoosePasswordDlg::SetPrompt(std::u16string_view prompt) {
    m_prompt->setText(ToQString(prompt));
}

std::u16string CChoosePasswordDlg::Password() const {
    return FromQString(m_password->text());
}

void CChoosePasswordDlg::accept() {
    const std::u16string first = Password();
    if (first != FromQString(m_confirm->text())) {
        ShowMessageBox(this, kPasswordsDoNotMatch, Buttons::Ok, Icon::Exclamation);
        m_password->setFocus();
        m_password->selectAll();
        return;
    }
    if (EnterPasswordAcceptable(first)) {
        QDialog::accept();
    }
}

void CChoosePasswordDlg::UpdateOk() {
    m_ok->setEnabled(ChoosePasswordAcceptable(Password(), FromQString(m_confirm->text())));
}

}  // namespace veltrix::ui::qt
