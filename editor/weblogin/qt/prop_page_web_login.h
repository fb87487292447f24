// CPropPageWebLogin: the Web Login sheet's one page. The address, the notes and the
// "Disable auto-submit" tick go into the record at every change; the field list shows the saved
// fields, whose data is changed through the edit dialog and copied to the clipboard.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "core/web_login.h"
#include "editor/weblogin/field_data.h"
#include "editor/weblogin/qt/dialog_field_data_prompt.h"
#include "ui/ui_port.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace veltrix::editor {

// Object names of the controls, for tests and screenshots.
namespace weblogin {
inline constexpr char kAddressName[] = "urlpage";
inline constexpr char kNotesName[] = "notes";
inline constexpr char kNoAutoSubmitName[] = "options";
inline constexpr char kFieldListName[] = "fields";
inline constexpr char kOpenName[] = "open";
inline constexpr char kEditName[] = "edit";
}  // namespace weblogin

class CPropPageWebLogin : public QWidget {
    Q_OBJECT

public:
    // Starts the browser with an address; the page ignores the outcome.
    using AddressOpener = std::function<void(std::u16string_view address)>;

    explicit CPropPageWebLogin(ui::IUserInterface& ui, QWidget* parent = nullptr);

    // Shows `login` (not owned); null empties the page and lets go of the record.
    void Attach(CWebLogin* login);

    // Edits the data of the first selected row's field through the edit dialog (nothing without a
    // selection); on OK the row shows the new data and Changed() is emitted.
    void EditSelectedField();
    // Puts the first selected row's field data on the clipboard (nothing without a selection).
    void CopySelectedField();
    // Opens the address in the browser.
    void OpenAddress();

    // The pop-up menu for a context-menu request at `pos` (viewport coordinates of the field
    // list): on a row while Edit is enabled; null elsewhere.
    std::unique_ptr<QMenu> FieldMenuAt(const QPoint& pos);

    // Replaces the edit dialog (tests); null goes back to the dialog.
    void SetFieldDataPrompt(weblogin::IFieldDataPrompt* prompt) { m_plugged = prompt; }
    void SetAddressOpener(AddressOpener opener) { m_opener = std::move(opener); }

    QTableWidget* FieldList() const { return m_fields; }

signals:
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void Load();
    void FillFieldList();
    void StoreValues();
    void UpdateEditButton();
    void ShowFieldMenu(const QPoint& pos);
    // The first selected row (lowest), or -1.
    int FirstSelectedRow() const;
    // The record's field shown in `row`, or null.
    CWebLoginField* FieldOfRow(int row) const;

    ui::IUserInterface& m_ui;
    CWebLogin* m_login = nullptr;
    QLineEdit* m_address = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QCheckBox* m_noAutoSubmit = nullptr;
    QTableWidget* m_fields = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_edit = nullptr;
    weblogin::DialogFieldDataPrompt m_dialogPrompt{this};
    weblogin::IFieldDataPrompt* m_plugged = nullptr;
    AddressOpener m_opener;
    // Counts the records shown, so that an edit whose record was let go of meanwhile is dropped.
    unsigned m_attachments = 0;
    bool m_loading = false;
};

}  // namespace veltrix::editor
