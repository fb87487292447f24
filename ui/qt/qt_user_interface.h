// The UI port in a Qt Widgets program: message boxes, the master-password prompts, the wait
// cursor, the clipboard and the beep. Use it on the GUI thread, while a QApplication exists.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/ui_port.h"

namespace veltrix::ui {

class QtUserInterface : public IUserInterface {
public:
    QtUserInterface() = default;
    // Gives back a wait cursor still held.
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    // A QMessageBox over the active window; without a QApplication nothing is shown and the box
    // answers as its Escape key would.
    Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) override;
    Answer ShowTitledMessage(std::u16string_view caption, std::u16string_view text, Buttons buttons,
                             Icon icon) override;
    // CEnterPasswordDlg or CChoosePasswordDlg over the active window; nullopt on Cancel (and
    // without a QApplication).
    std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) override;
    // The application's override cursor; calls nest, each SetBusy(false) ending one SetBusy(true).
    void SetBusy(bool busy) override;
    // The primary screen's available geometry.
    ScreenRect WorkArea() override;
    // The application's clipboard; false without a QApplication.
    bool SetClipboardText(std::u16string_view text) override;
    // QApplication::beep(); nothing without a QApplication.
    void Beep(Icon icon) override;

private:
    int m_busyDepth = 0;
};

// Installs a QtUserInterface as the process's UI for its lifetime and restores the previous one
// afterwards. A GUI program creates one in main, after its QApplication.
class QtUiScope {
public:
    QtUiScope();
    ~QtUiScope();
    QtUiScope(const QtUiScope&) = delete;
    QtUiScope& operator=(const QtUiScope&) = delete;

    QtUserInterface& Ui() { return m_ui; }

private:
    QtUserInterface m_ui;
    IUserInterface* m_previous;
};

}  // namespace veltrix::ui
