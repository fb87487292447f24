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

com::HRESULT RunCommandExtension(IWebBrowser* site, const CommandExtension& command,
                                 std::string& problem) {
    com::ComPtr<IOleCommandTarget> target;
    com::HRESULT hr =
        com::CoCreateInstance(command.clsid, IOleCommandTarget::kIid, target.PutVoid());
    com::ComPtr<IObjectWithSite> sited;
    if (hr != com::S_OK || !target || target.As(&sited) != com::S_OK) {
        problem = "the command object " + command.clsid.ToString() + " cannot be created";
        return com::FAILED(hr) ? hr : com::E_NOINTERFACE;
    }
    sited->SetSite(site);
    OleCommand status{0, 0};
    hr = target->QueryStatus(nullptr, 1, &status);
    if (hr != com::S_OK || (status.flags & kCommandEnabled) == 0) {
        problem = "the command is disabled";
        hr = com::FAILED(hr) ? hr : com::E_FAIL;
    } else {
        hr = target->Exec(nullptr, 0, 0, nullptr, nullptr);
        if (com::FAILED(hr)) {
            problem = "the command failed";
        }
    }
    sited->SetSite(nullptr);
    return hr;
}

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
