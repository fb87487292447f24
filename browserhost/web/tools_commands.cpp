#include "browserhost/web/tools_commands.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"

namespace veltrix::browserhost {
namespace {

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void AddToolsMenuItems(QMenu& menu, const std::vector<CommandExtension>& commands,
                       const CommandRunner& run) {
    for (const CommandExtension& command : commands) {
        if (command.menuText.empty()) {
            continue;
        }
        QAction* action = menu.addAction(Text(command.menuText));
        action->setStatusTip(Text(command.statusText));
        QObject::connect(action, &QAction::triggered, &menu, [run, command] { run(command); });
    }
}

void AddCommandButtons(QToolBar& bar, const std::vector<CommandExtension>& commands,
                       const CommandRunner& run) {
    for (const CommandExtension& command : commands) {
        if (command.buttonText.empty() || !command.buttonVisible) {
            continue;
        }
        QAction* action = bar.addAction(Text(command.buttonText));
        action->setStatusTip(Text(command.statusText));
        QObject::connect(action, &QAction::triggered, &bar, [run, command] { run(command); });
    }
}

}  // namespace veltrix::browserhost
