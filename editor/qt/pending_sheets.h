// The Web Login and Options sheets as they stand until their pages are built: the Web Login sheet
// shows the record's addresses and fields read-only, the Options sheet says what it will hold.
// Both offer what the right pane needs of a sheet, so the full sheets replace them one for one.
#pragma once

#include <QWidget>

#include "core/web_login.h"

class QLabel;
class QPlainTextEdit;

namespace veltrix::editor::qt {

class WebLoginSheet : public QWidget {
    Q_OBJECT

public:
    explicit WebLoginSheet(QWidget* parent = nullptr);
    // Shows `login` (not owned); null detaches the sheet.
    void Attach(CWebLogin* login);
    bool ValidateActivePage() { return true; }
    int HelpTopic() const;

signals:
    void Changed();

private:
    QPlainTextEdit* m_summary;
};

class OptionsSheet : public QWidget {
    Q_OBJECT

public:
    explicit OptionsSheet(QWidget* parent = nullptr);
    // Loads the sheet from the configuration; nothing to load yet.
    void Load() {}
    // Applies the sheet; nothing to apply yet.
    bool Apply() { return true; }
    // Whether the Preferences page holds "Run in System Tray" ticked.
    bool RunInTrayTicked() const { return false; }
    int HelpTopic() const;

signals:
    void Changed();
};

}  // namespace veltrix::editor::qt
