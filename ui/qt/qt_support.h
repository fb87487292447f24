// Qt helpers shared by the Qt implementation of the UI port and its dialogs: text conversion,
// message boxes and help pages.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "ui/ui_port.h"

class QWidget;

namespace veltrix::ui::qt {

inline QString ToQString(std::u16string_view text) {
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}
inline std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

// Shows a modal message box over `parent` (null: the active window) captioned `caption`, and
// returns the button pressed. Closing the box without a button counts as Cancel, No or OK, the
// way its Escape key answers.
Answer ShowMessageBox(QWidget* parent, std::u16string_view text, Buttons buttons, Icon icon,
                      std::u16string_view caption = kCaption);

// Opens the help page of `context` (found beside the module) with the desktop's opener. False
// when the page is missing or cannot be opened.
bool OpenHelp(int context);

// While it lives, a wait cursor set for a longer operation gives way to the normal arrow, so that
// a modal window opened in the middle of the operation is not shown busy.
class NormalCursorScope {
public:
    NormalCursorScope();
    ~NormalCursorScope();
    NormalCursorScope(const NormalCursorScope&) = delete;
    NormalCursorScope& operator=(const NormalCursorScope&) = delete;

private:
    bool m_pushed = false;
};

}  // namespace veltrix::ui::qt
