#include "browserhost/web/browser_windows.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWebEngineProfile>
#include <algorithm>

#include "browserhost/web/address_forwarding.h"
#include "browserhost/web/browser_profile.h"
#include "browserhost/web/browser_window.h"

namespace veltrix::browserhost {

bool IsOpenableAddress(const QUrl& url) {
    if (!url.isValid()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("about")) {
        return url.path() == QLatin1String("blank");
    }
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

QUrl AddressFromUserText(const QString& text, const QString& workingFolder) {
    const QString trimmed = text.trimmed();
    const QDir folder(workingFolder);
    const bool looksLikePath = trimmed.startsWith(QLatin1Char('/')) ||
                               trimmed.startsWith(QLatin1String("./")) ||
                               trimmed.startsWith(QLatin1String("../"));
    if (!trimmed.contains(QLatin1String("://")) &&
        (looksLikePath || QFileInfo::exists(folder.filePath(trimmed)))) {
        return QUrl::fromLocalFile(QDir::cleanPath(folder.absoluteFilePath(trimmed)));
    }
    return QUrl::fromUserInput(trimmed);
}

BrowserWindows::BrowserWindows(QObject* parent) : QObject(parent) {}

BrowserWindows::~BrowserWindows() {
    // Pages go before the profiles they use.
    for (const QPointer<BrowserWindow>& window : m_windows) {
        delete window.data();
    }
    m_windows.clear();
}

QWebEngineProfile* BrowserWindows::Profile(bool privateWindow) {
    if (privateWindow) {
        if (m_private == nullptr) {
            m_private = MakePrivateProfile(this);
        }
        return m_private;
    }
    if (m_persistent == nullptr) {
        std::string problem;
        m_persistent = MakePersistentProfile(this, problem);
        if (!problem.empty()) {
            emit LogLine(QString::fromStdString("browsing data is not kept: " + problem));
        }
    }
    return m_persistent;
}

BrowserWindow* BrowserWindows::Open(const QUrl& url, bool privateWindow) {
    auto* window = new BrowserWindow(*this, Profile(privateWindow), privateWindow);
    window->setAttribute(Qt::WA_DeleteOnClose);
    std::erase_if(m_windows, [](const QPointer<BrowserWindow>& w) { return w.isNull(); });
    m_windows.emplace_back(window);
    connect(window, &BrowserWindow::LogLine, this, &BrowserWindows::LogLine);
    if (privateWindow) {
        connect(window, &QObject::destroyed, this, &BrowserWindows::ReleasePrivateProfile,
                Qt::QueuedConnection);
    }
    window->LoadHelperObjects();
    window->Load(url.isEmpty() ? QUrl(QStringLiteral("about:blank")) : url);
    window->show();
    emit WindowOpened(window);
    return window;
}

void BrowserWindows::ReleasePrivateProfile() {
    const std::vector<BrowserWindow*> open = Windows();
    const bool privateLeft = std::any_of(open.begin(), open.end(),
                                         [](const BrowserWindow* w) { return w->IsPrivate(); });
    if (!privateLeft && m_private != nullptr) {
        // After the pages that used it, which went with their windows.
        m_private->deleteLater();
        m_private = nullptr;
    }
}

std::vector<BrowserWindow*> BrowserWindows::Windows() const {
    std::vector<BrowserWindow*> open;
    for (const QPointer<BrowserWindow>& window : m_windows) {
        if (!window.isNull()) {
            open.push_back(window.data());
        }
    }
    return open;
}

std::int64_t BrowserWindows::OnOpenRequest(std::uint64_t wParam, std::int64_t lParam) {
    const auto request = TakeForwardedRequest(wParam, lParam);
    if (!request) {
        emit LogLine(QStringLiteral("a forwarded request was refused: missing or malformed"));
        return 0;
    }
    const QUrl url = request->address.empty()
                         ? QUrl()
                         : QUrl(QString::fromStdString(request->address), QUrl::StrictMode);
    if (!request->address.empty() && !IsOpenableAddress(url)) {
        emit LogLine(QStringLiteral("a forwarded address was refused: ") +
                     QString::fromStdString(request->address).left(200));
        return 0;
    }
    // The sender waits for the answer: the window opens once the message is answered.
    const bool privateWindow = request->privateWindow;
    QTimer::singleShot(0, this, [this, url, privateWindow] { Open(url, privateWindow); });
    return 1;
}

}  // namespace veltrix::browserhost
