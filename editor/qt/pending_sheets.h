// The Options sheet as it stands until its pages are built: it says what it will hold and offers
// what the right pane needs of a sheet, so the full sheet replaces it one for one.
#pragma once

#include <QWidget>

namespace veltrix::editor::qt {

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
