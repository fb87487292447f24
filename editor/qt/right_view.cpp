#include "editor/qt/right_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "editor/editor_messages.h"
#include "editor/identity/identity_sheet_widget.h"
#include "editor/options/qt/options_sheet_widget.h"
#include "editor/weblogin/qt/prop_sheet_web_login.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {

CRightView::CRightView(config::Settings& settings, QWidget* parent)
    : QWidget(parent),
      m_identitySheet(new IdentitySheetWidget(ui::CurrentUi(), this)),
      m_webLoginSheet(new CPropSheetWebLogin(ui::CurrentUi(), this)),
      m_optionsSheet(new options::OptionsSheetWidget(settings, ui::CurrentUi(), this)),
      m_note(new QPlainTextEdit(this)),
      m_empty(new QWidget(this)),
      m_content(new QStackedWidget(this)),
      m_exit(new QPushButton(tr("E&xit"), this)),
      m_cancel(new QPushButton(tr("&Cancel"), this)),
      m_apply(new QPushButton(tr("&Apply"), this)),
      m_help(new QPushButton(tr("&Help"), this)),
      m_pane(settings, *this) {
    m_note->setObjectName(kNoteEditorName);
    m_exit->setObjectName(kExitButtonName);
    m_cancel->setObjectName(kCancelButtonName);
    m_apply->setObjectName(kApplyButtonName);
    m_help->setObjectName(kHelpButtonName);
    for (QWidget* page :
         {m_empty, static_cast<QWidget*>(m_identitySheet), static_cast<QWidget*>(m_webLoginSheet),
          static_cast<QWidget*>(m_note), static_cast<QWidget*>(m_optionsSheet)}) {
        m_content->addWidget(page);
    }
    m_content->setCurrentWidget(m_empty);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {m_exit, m_cancel, m_apply, m_help}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_content, 1);
    layout->addLayout(buttons);
    SetChangesPending(false);

    connect(m_identitySheet, &IdentitySheetWidget::Changed, this,
            [this] { m_pane.RecordEdited(); });
    connect(m_webLoginSheet, &CPropSheetWebLogin::Changed, this, [this] { m_pane.RecordEdited(); });
    connect(m_optionsSheet, &options::OptionsSheetWidget::Changed, this, [this] {
        m_pane.OptionsEdited();
        UpdateExitLabel();
    });
    connect(m_note, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loadingNote) {
            m_pane.NoteEdited(ui::qt::FromQString(m_note->toPlainText()));
        }
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { m_pane.Apply(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_pane.Cancel();
        emit TreeFocusRequested();
    });
    connect(m_exit, &QPushButton::clicked, this, &CRightView::OnExit);
    connect(m_help, &QPushButton::clicked, this, [this] { emit HelpRequested(HelpTopic()); });
}

CRightView::~CRightView() {
    m_identitySheet->Attach(nullptr);
    m_webLoginSheet->Attach(nullptr);
}

void CRightView::FocusContent() {
    QWidget* content = m_content->currentWidget();
    if (content == m_empty) {
        m_help->setFocus(Qt::TabFocusReason);
    } else {
        content->setFocus(Qt::TabFocusReason);
    }
}

int CRightView::HelpTopic() const {
    switch (m_pane.CurrentKind()) {
        case RecordKind::Identity:
            return m_identitySheet->HelpTopic();
        case RecordKind::WebLogin:
            return m_webLoginSheet->HelpTopic();
        case RecordKind::SecureNote:
            return messages::kHelpSecureNote;
        case RecordKind::Options:
            return m_optionsSheet->HelpTopic();
        default:
            return messages::kHelpContents;
    }
}

void CRightView::UpdateExitLabel() {
    m_exitMinimizes = m_optionsSheet->RunInTrayTicked();
    m_exit->setText(m_exitMinimizes ? tr("&Minimize") : tr("E&xit"));
}

void CRightView::OnExit() {
    if (!m_pane.Apply()) {
        return;
    }
    emit ExitRequested(m_exitMinimizes);
}

bool CRightView::CanUndo() const {
    return m_pane.CurrentKind() == RecordKind::SecureNote && m_note->document()->isUndoAvailable();
}

bool CRightView::HasSelection() const {
    return m_pane.CurrentKind() == RecordKind::SecureNote && m_note->textCursor().hasSelection();
}

bool CRightView::CanPaste() const {
    return m_pane.CurrentKind() == RecordKind::SecureNote && m_note->canPaste();
}

void CRightView::Undo() {
    if (CanUndo()) {
        m_note->undo();
    }
}

void CRightView::Cut() {
    if (HasSelection()) {
        m_note->cut();
    }
}

void CRightView::Copy() {
    if (HasSelection()) {
        m_note->copy();
    }
}

void CRightView::Paste() {
    if (CanPaste()) {
        m_note->paste();
    }
}

bool CRightView::ValidateSheet(RecordKind kind) {
    if (kind == RecordKind::Identity) {
        return m_identitySheet->ValidateActivePage();
    }
    if (kind == RecordKind::WebLogin) {
        return m_webLoginSheet->ValidateActivePage();
    }
    return true;
}

void CRightView::ShowRecord(OpenRecord& record) {
    if (CIdentity* identity = record.Identity()) {
        m_identitySheet->Attach(identity);
    } else if (CWebLogin* login = record.WebLogin()) {
        m_webLoginSheet->Attach(login);
    } else if (CSecureNote* note = record.SecureNote()) {
        m_loadingNote = true;
        m_note->setPlainText(ui::qt::ToQString(note->GetText()));
        m_note->document()->clearUndoRedoStacks();
        m_loadingNote = false;
    }
    m_content->setCurrentWidget(WindowOf(record.kind));
}

void CRightView::DetachRecord(RecordKind kind) {
    if (kind == RecordKind::Identity) {
        m_identitySheet->Attach(nullptr);
    } else if (kind == RecordKind::WebLogin) {
        m_webLoginSheet->Attach(nullptr);
    } else if (kind == RecordKind::SecureNote) {
        m_loadingNote = true;
        m_note->clear();
        m_loadingNote = false;
    }
}

void CRightView::ShowOptions() {
    m_optionsSheet->Load();
    UpdateExitLabel();
    m_content->setCurrentWidget(m_optionsSheet);
}

bool CRightView::ApplyOptions() {
    const bool applied = m_optionsSheet->Apply();
    UpdateExitLabel();
    return applied;
}

void CRightView::HideKind(RecordKind kind) {
    if (m_content->currentWidget() == WindowOf(kind)) {
        m_content->setCurrentWidget(m_empty);
    }
}

void CRightView::SetChangesPending(bool pending) {
    m_apply->setEnabled(pending);
    m_cancel->setEnabled(pending);
    emit ChangesPendingChanged(pending);
}

QWidget* CRightView::WindowOf(RecordKind kind) const {
    switch (kind) {
        case RecordKind::Identity:
            return m_identitySheet;
        case RecordKind::WebLogin:
            return m_webLoginSheet;
        case RecordKind::SecureNote:
            return m_note;
        case RecordKind::Options:
            return m_optionsSheet;
        default:
            return m_empty;
    }
}

}  // namespace veltrix::editor::qt
