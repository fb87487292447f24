#include "tests/portable/portable_test_support.h"

#include <chrono>
#include <fstream>

#include "platform/event_loop.h"
#include "platform/text.h"
#include "portable/blocking_windows.h"
#include "tests/support/test_environment.h"

namespace veltrix::test {

bool RecordingLauncherView::CreateFrame() {
    calls.push_back("frame");
    return !frameFails;
}

void RecordingLauncherView::ShowSplash(std::u16string_view text, int displayMs) {
    calls.push_back("splash " + text::ToUtf8(text) + " " + std::to_string(displayMs));
}

void RecordingLauncherView::ShowStatus(std::u16string_view text) {
    calls.push_back("status " + text::ToUtf8(text));
}

void RecordingLauncherView::CloseSplash() {
    calls.push_back("close");
}

void RecordingLauncherView::EnterTray() {
    calls.push_back("tray");
}

ThreadWindow::ThreadWindow(std::string className, std::string title, bool closes)
    : m_thread([this, className, title, closes] { Serve(className, title, closes); }) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_ready && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ThreadWindow::~ThreadWindow() {
    m_stop = true;
    m_thread.join();
}

void ThreadWindow::Serve(std::string className, std::string title, bool closes) {
    std::unique_ptr<platform::Window> window;
    window = platform::Window::Create(
        std::move(className), std::move(title),
        [this, closes, &window](std::uint32_t message, std::uint64_t, std::int64_t) {
            if (message == portable::kWmClose) {
                ++m_closeRequests;
                if (closes) {
                    window.reset();
                }
            }
            return std::int64_t{0};
        });
    m_handle = window ? window->Handle() : 0;
    m_ready = true;
    platform::ThreadEventLoop().RunUntil([this] { return m_stop.load(); }, 120000);
}

std::map<std::u16string, std::vector<platform::NamedValue>> DumpRegistry(
    platform::Registry& registry) {
    std::map<std::u16string, std::vector<platform::NamedValue>> keys;
    for (platform::Hive hive :
         {platform::Hive::CurrentUser, platform::Hive::LocalMachine, platform::Hive::ClassesRoot}) {
        const std::u16string hiveName(platform::HiveName(hive));
        for (const std::u16string& top : registry.EnumKeys(hive, u"")) {
            registry.VisitKeyTree(
                hive, top,
                [&](std::u16string_view path, const std::vector<platform::NamedValue>& values) {
                    keys[hiveName + u"\\" + std::u16string(path)] = values;
                });
        }
    }
    return keys;
}

std::map<std::string, std::string> DumpFiles(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), folder).string()] =
                ReadFileBytes(entry.path());
        }
    }
    return files;
}

std::string RegFile(const std::string& body) {
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}

void CopyLibraryToDevice(const portable::LauncherFolders& folders) {
    std::filesystem::create_directories(folders.program);
    std::filesystem::copy_file(ProgramFolder() / "libvtxcore.so", folders.program / "libvtxcore.so",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace veltrix::test
