#include "formengine/qt/form_dialogs.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt/qt_support.h"

namespace veltrix::formviews::qt {
namespace {

using ui::qt::FromQString;
using ui::qt::OpenHelp;
using ui::qt::ToQString;

// Combo boxes are as wide as this many characters whatever their entries, so that a prompt keeps
// the size its placement was computed with.
constexpr int kChoiceWidthChars = 36;

QLabel* MakeText(QWidget* parent, std::u16string_view format) {
    auto* label = new QLabel(ToQString(FormatPromptText(format)), parent);
    label->setObjectName(kFormTextName);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QGroupBox* MakeGroup(QWidget* parent, std::u16string_view title, QWidget* content) {
    auto* group = new QGroupBox(ToQString(title), parent);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(content);
    return group;
}

struct ButtonRow {
    QPushButton* yes;
    QPushButton* no;
    QPushButton* exclude;
    QPushButton* help;
    QHBoxLayout* layout;
};

ButtonRow MakeButtons(QDialog* dialog) {
    auto* layout = new QHBoxLayout;
    auto add = [&](std::u16string_view text, const char* name) {
        auto* button = new QPushButton(ToQString(text), dialog);
        button->setObjectName(name);
        layout->addWidget(button);
        return button;
    };
    ButtonRow row{add(kYesButton, kFormYesButtonName), add(kNoButton, kFormNoButtonName),
                  add(kExcludeButton, kFormExcludeButtonName),
                  add(kHelpButton, kFormHelpButtonName), layout};
    row.yes->setDefault(true);
    return row;
}

// Puts `list` into `box` without reporting it as the user's choice.
void Fill(QComboBox* box, const ChoiceList& list) {
    const QSignalBlocker blocker(box);
    box->clear();
    for (const auto& entry : list.entries) {
        box->addItem(ToQString(entry));
    }
    box->setCurrentIndex(list.selected >= 0 && list.selected < box->count() ? list.selected : -1);
    box->setEnabled(list.enabled);
}

std::u16string Selected(const QComboBox* box) {
    return box->currentIndex() >= 0 ? FromQString(box->currentText()) : std::u16string();
}

}  // namespace

CFormPromptDlg::CFormPromptDlg(IPromptHandler& handler, std::u16string_view caption,
                               std::u16string_view text, int helpContext)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_handler(handler),
      m_helpContext(helpContext) {
    setWindowTitle(ToQString(FormatPromptText(caption)));
    // A prompt closing never ends the program that shows it.
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeText(this, text));
}

QComboBox* CFormPromptDlg::AddChoiceGroup(std::u16string_view title, const char* name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kChoiceWidthChars);
    static_cast<QBoxLayout*>(layout())->addWidget(MakeGroup(this, title, box));
    return box;
}

void CFormPromptDlg::AddButtonRow() {
    ButtonRow buttons = MakeButtons(this);
    static_cast<QBoxLayout*>(layout())->addLayout(buttons.layout);
    connect(buttons.yes, &QPushButton::clicked, this,
            [this] { m_handler.OnPromptButton(PromptButton::Yes); });
    connect(buttons.no, &QPushButton::clicked, this,
            [this] { m_handler.OnPromptButton(PromptButton::No); });
    connect(buttons.exclude, &QPushButton::clicked, this,
            [this] { m_handler.OnPromptButton(PromptButton::Exclude); });
    connect(buttons.help, &QPushButton::clicked, this, [this] { OpenHelp(m_helpContext); });
    adjustSize();
}

void CFormPromptDlg::reject() {
    // The handler hides the window; a close it leaves visible is refused.
    m_handler.OnPromptButton(PromptButton::No);
}

void CFormPromptDlg::ShowPromptAt(std::int32_t x, std::int32_t y, bool activate) {
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    move(x, y);
    show();
    if (activate) {
        raise();
        activateWindow();
    }
}

CFillIdentityDlg::CFillIdentityDlg(IFillIdentityPromptHandler& handler)
    : CFormPromptDlg(handler, kFillIdentityCaption, kFillIdentityText, kFillIdentityHelpContext) {
    m_identities = AddChoiceGroup(kSelectIdentityGroup, kIdentityComboName);
    m_creditCards = AddChoiceGroup(kSelectCreditCardGroup, kCreditCardComboName);
    m_bankAccounts = AddChoiceGroup(kSelectBankAccountGroup, kBankAccountComboName);
    AddButtonRow();
    // Only a choice of the user's is reported (the lists are set without signals).
    connect(m_identities, &QComboBox::activated, this, [this, chosen = &handler](int index) {
        chosen->OnIdentityChosen(FromQString(m_identities->itemText(index)));
    });
}

void CFillIdentityDlg::SetIdentities(const ChoiceList& list) {
    Fill(m_identities, list);
}

void CFillIdentityDlg::SetCreditCards(const ChoiceList& list) {
    Fill(m_creditCards, list);
}

void CFillIdentityDlg::SetBankAccounts(const ChoiceList& list) {
    Fill(m_bankAccounts, list);
}

std::u16string CFillIdentityDlg::SelectedIdentity() const {
    return Selected(m_identities);
}

std::u16string CFillIdentityDlg::SelectedCreditCard() const {
    return Selected(m_creditCards);
}

std::u16string CFillIdentityDlg::SelectedBankAccount() const {
    return Selected(m_bankAccounts);
}

CFillWebLoginDlg::CFillWebLoginDlg(IPromptHandler& handler)
    : CFormPromptDlg(handler, kFillWebLoginCaption, kFillWebLoginText, kFillWebLoginHelpContext) {
    m_webLogins = AddChoiceGroup(kSelectWebLoginGroup, kWebLoginComboName);
    AddButtonRow();
}

void CFillWebLoginDlg::SetWebLogins(const ChoiceList& list) {
    Fill(m_webLogins, list);
}

std::u16string CFillWebLoginDlg::SelectedWebLogin() const {
    return Selected(m_webLogins);
}

CSaveWebLoginDlg::CSaveWebLoginDlg(std::u16string_view name, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(FormatPromptText(kSaveWebLoginCaption)));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(MakeText(this, kSaveWebLoginText));
    m_name = new QLineEdit(ToQString(name), this);
    m_name->setObjectName(kWebLoginNameEditName);
    m_name->setMinimumWidth(m_name->fontMetrics().averageCharWidth() * kChoiceWidthChars);
    layout->addWidget(MakeGroup(this, kWebLoginNameGroup, m_name));
    ButtonRow buttons = MakeButtons(this);
    layout->addLayout(buttons.layout);
    connect(buttons.yes, &QPushButton::clicked, this, &CSaveWebLoginDlg::accept);
    connect(buttons.no, &QPushButton::clicked, this, &CSaveWebLoginDlg::reject);
    connect(buttons.exclude, &QPushButton::clicked, this, [this] {
        m_answer = SaveWebLoginAnswer::Exclude;
        done(QDialog::Rejected);
    });
    connect(buttons.help, &QPushButton::clicked, this, [] { OpenHelp(kSaveWebLoginHelpContext); });
    m_name->selectAll();
    m_name->setFocus();
}

std::u16string CSaveWebLoginDlg::Name() const {
    return FromQString(m_name->text());
}

void CSaveWebLoginDlg::accept() {
    m_answer = SaveWebLoginAnswer::Yes;
    QDialog::accept();
}

void CSaveWebLoginDlg::reject() {
    m_answer = SaveWebLoginAnswer::No;
    QDialog::reject();
}

}  // namespace veltrix::formviews::qt
