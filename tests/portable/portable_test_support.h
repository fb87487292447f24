// What the launcher's tests share: a launcher view that records what it was asked to show, a
// window of another thread that answers (or ignores) WM_CLOSE, a device folder laid out for the
// launcher, and a dump of the registry to compare before and after.
#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/winmsg.h"
#include "portable/portable_app.h"

namespace veltrix::test {

// Records each call as one line: "frame", "splash <text> <ms>", "status <text>", "close", "tray".
class RecordingLauncherView : public portable::ILauncherView {
public:
    bool CreateFrame() override;
    void ShowSplash(std::u16string_view text, int displayMs) override;
    void ShowStatus(std::u16string_view text) override;
    void CloseSplash() override;
    void EnterTray() override;

    std::vector<std::string> calls;
    bool frameFails = false;
};

// A window served by a thread of its own, as another program's window would be.
class ThreadWindow {
public:
    // `closes`: whether WM_CLOSE destroys the window (a window that asks the user first does not).
    ThreadWindow(std::string className, std::string title, bool closes);
    ~ThreadWindow();
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;

    platform::WindowHandle Handle() const { return m_handle; }
    int CloseRequests() const { return m_closeRequests; }

private:
    void Serve(std::string className, std::string title, bool closes);

    std::atomic<platform::WindowHandle> m_handle{0};
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_closeRequests{0};
    std::thread m_thread;
};

// Every key of the three hives with its values, by "HIVE\path".
std::map<std::u16string, std::vector<platform::NamedValue>> DumpRegistry(
    platform::Registry& registry);

// Every regular file below `folder` with its bytes, by path relative to `folder`.
std::map<std::string, std::string> DumpFiles(const std::filesystem::path& folder);

// A text file in the REGEDIT 5 format with `body` after the header line.
std::string RegFile(const std::string& body);

// Copies the built extension library into the device's program folder.
void CopyLibraryToDevice(const portable::LauncherFolders& folders);

}  // namespace veltrix::test
