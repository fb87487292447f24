#include "editor/editor_startup.h"

#include <QApplication>
#include <optional>

#include "core/password_source.h"
#include "core/scoped_wipe.h"
#include "editor/command_line.h"
#include "editor/editor_link.h"
#include "editor/instance_block.h"
#include "editor/qt/main_frame.h"
#include "editor/reencrypt/update_recovery.h"
#include "editor/vault_upkeep.h"
#include "platform/registry.h"

namespace veltrix::editor {
namespace {

// Installs the link as the source of the master password for the record files, for a scope.
class PasswordSourceScope {
public:
    explicit PasswordSourceScope(IPasswordSource& source) { SetPasswordSource(&source); }
    ~PasswordSourceScope() { SetPasswordSource(nullptr); }
    PasswordSourceScope(const PasswordSourceScope&) = delete;
    PasswordSourceScope& operator=(const PasswordSourceScope&) = delete;
};

bool ObtainPassword(EditorLink& link) {
    std::u16string password;
    ScopedWipe wipe(password);
    return link.GetPassword(password);
}

}  // namespace

int RunEditor(const std::vector<std::u16string>& arguments) {
    const std::u16string commandLine = JoinArguments(arguments);
    config::Settings settings(platform::Registry::Default());
    if (IsEraseCommand(commandLine)) {
        EraseAllRecords(settings);
    }

    // Without a trustworthy block the editor still runs, only without handing over to another.
    std::optional<InstanceBlock> block = InstanceBlock::Open();
    if (block && ForwardToRunningEditor(*block, commandLine)) {
        return 0;
    }

    EditorLink link;
    if (!link.Create()) {
        return 1;
    }
    PasswordSourceScope passwords(link);
    // A change of master password cut short is rolled back before the password is asked for.
    CEditorLinkSession linkSession(link);
    RecoverUnfinishedUpdate(settings, linkSession);
    if (!ObtainPassword(link)) {
        return 0;  // the user cancelled the prompt: end without a word
    }

    qt::CMainFrame frame(settings, commandLine);
    frame.SetInstanceBlock(block ? &*block : nullptr);
    frame.SetEditorLink(&link);
    frame.FirstActivation();
    if (block) {
        block->SetEditorWindow(frame.Handle());
    }
    link.RegisterEditor(frame.Handle());
    RebuildWebLoginIndex(settings);
    QObject::connect(&frame, &qt::CMainFrame::Closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    frame.ShowAtStart();
    const int exitCode = QApplication::exec();

    link.RegisterEditor(0);
    // Here the block outlives the process, so the next start must not find this window in it.
    if (block && block->EditorWindow() == frame.Handle()) {
        block->SetEditorWindow(0);
    }
    return exitCode;
}

}  // namespace veltrix::editor
