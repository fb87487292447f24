#include "browserhost/web/bridge_page.h"

namespace veltrix::browserhost {

void BridgePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                          const QString& message, int line, const QString& source) {
    if (m_tap && m_tap(message)) {
        return;
    }
    PageConsoleMessage(level, message, line, source);
}

void BridgePage::PageConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                    int line, const QString& source) {
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

}  // namespace veltrix::browserhost
