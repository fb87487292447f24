// CRightView: the right pane's widgets. A sheet per kind (Identity, Web Login, Options) or the note
// editor fills the content area, with "E&xit", "&Cancel", "&Apply", "&Help" at the bottom right.
// The rules live in RightPane; this view carries out what they decide.
#pragma once

#include <QWidget>
#include <memory>

#include "core/configuration.h"
#include "editor/right_pane.h"

class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace veltrix::editor {
class IdentitySheetWidget;
class CPropSheetWebLogin;
namespace options {
class OptionsSheetWidget;
}
}  // namespace veltrix::editor

namespace veltrix::editor::qt {

// Object names of the buttons and the note editor, for tests and screenshots.
inline constexpr char kExitButtonName[] = "exit";
inline constexpr char kCancelButtonName[] = "cancel";
inline constexpr char kApplyButtonName[] = "apply";
inline constexpr char kHelpButtonName[] = "help";
inline constexpr char kNoteEditorName[] = "note";

class CRightView : public QWidget, private IRightPaneView {
    Q_OBJECT

public:
    CRightView(config::Settings& settings, QWidget* parent = nullptr);
    ~CRightView() override;

    RightPane& Pane() { return m_pane; }
    QPlainTextEdit* NoteEditor() const { return m_note; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ExitButton() const { return m_exit; }
    IdentitySheetWidget* IdentitySheet() const { return m_identitySheet; }
    options::OptionsSheetWidget* OptionsSheet() const { return m_optionsSheet; }

    // Moves the keyboard focus into what is shown (the buttons when nothing is).
    void FocusContent();
    // The help topic of what is shown (0: the contents).
    int HelpTopic() const;
    // Updates the first button's label from the Options sheet ("&Minimize" while it holds "Run in
    // System Tray" ticked).
    void UpdateExitLabel();
    bool ExitMinimizes() const { return m_exitMinimizes; }

    // The Secure Note editing commands and whether they apply now.
    bool CanUndo() const;
    bool HasSelection() const;
    bool CanPaste() const;
    void Undo();
    void Cut();
    void Copy();
    void Paste();

signals:
    // The first button was pressed and the changes are saved: hide the frame or close it.
    void ExitRequested(bool minimize);
    // Cancel: the tree becomes the active view.
    void TreeFocusRequested();
    // A help topic was asked for (0: the contents).
    void HelpRequested(int topic);
    // Apply and Cancel changed state; the menus follow.
    void ChangesPendingChanged(bool pending);

private:
    // IRightPaneView
    bool ValidateSheet(RecordKind kind) override;
    void ShowRecord(OpenRecord& record) override;
    void DetachRecord(RecordKind kind) override;
    void ShowOptions() override;
    bool ApplyOptions() override;
    void HideKind(RecordKind kind) override;
    void SetChangesPending(bool pending) override;

    QWidget* WindowOf(RecordKind kind) const;
    void OnExit();

    IdentitySheetWidget* m_identitySheet;
    CPropSheetWebLogin* m_webLoginSheet;
    options::OptionsSheetWidget* m_optionsSheet;
    QPlainTextEdit* m_note;
    QWidget* m_empty;
    QStackedWidget* m_content;
    QPushButton* m_exit;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    QPushButton* m_help;
    bool m_loadingNote = false;
    bool m_exitMinimizes = false;
    RightPane m_pane;
};

}  // namespace veltrix::editor::qt
