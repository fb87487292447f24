// The windows of one vtxbrowse process and their browsing profiles: the user's persistent profile
// and one off-the-record profile that the private windows open at a time share; it is let go with
// the last of them, and with it their cookies and history. Windows
// delete themselves when closed; the list hands addresses forwarded by a second vtxbrowse to a new
// window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <vector>

class QWebEngineProfile;

namespace veltrix::browserhost {

class BrowserWindow;

// The windows pages may open (window.open, links to a new window) while this many are open.
inline constexpr std::size_t kMaxPageOpenedWindows = 32;

// Whether vtxbrowse opens `url` when the command line or another process asks: web pages, local
// files and the blank page; never script or data addresses.
bool IsOpenableAddress(const QUrl& url);
// An address the user typed or gave on the command line: a path, or a name of a file in
// `workingFolder`, is that file; anything else a URL or a host name.
QUrl AddressFromUserText(const QString& text, const QString& workingFolder);

class BrowserWindows final : public QObject {
    Q_OBJECT
public:
    explicit BrowserWindows(QObject* parent = nullptr);
    // Closes and deletes the windows still open, then lets the profiles go.
    ~BrowserWindows() override;

    // A new window, shown, loading `url` (the blank page when it is empty).
    BrowserWindow* Open(const QUrl& url, bool privateWindow);
    // The windows open now, in the order they were opened.
    std::vector<BrowserWindow*> Windows() const;
    QWebEngineProfile* Profile(bool privateWindow);

    // The answer to kOpenAddressMessage: 1 when the request was taken and a window will open
    // for it, 0 for a request that is missing, malformed or not an address vtxbrowse opens.
    std::int64_t OnOpenRequest(std::uint64_t wParam, std::int64_t lParam);

signals:
    void LogLine(const QString& line);
    void WindowOpened(veltrix::browserhost::BrowserWindow* window);

private:
    // Lets the private profile go once no private window is left.
    void ReleasePrivateProfile();

    QWebEngineProfile* m_persistent = nullptr;
    QWebEngineProfile* m_private = nullptr;
    std::vector<QPointer<BrowserWindow>> m_windows;
};

}  // namespace veltrix::browserhost
