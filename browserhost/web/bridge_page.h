// A page whose console messages pass the page bridge first: frames of another origin send their
// messages up through their console (see console_channel.h), so the bridge takes those and
// everything else reaches PageConsoleMessage. The window's page and the tests' pages derive from
// it.
#pragma once

#include <QWebEnginePage>
#include <functional>

namespace veltrix::browserhost {

class BridgePage : public QWebEnginePage {
    Q_OBJECT

public:
    using QWebEnginePage::QWebEnginePage;

    // Sees each console message first; true when it was the bridge's. Null: none.
    using ConsoleTap = std::function<bool(const QString& message)>;
    void SetConsoleTap(ConsoleTap tap) { m_tap = std::move(tap); }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) final;
    // The page's own console messages; by default logged as QWebEnginePage does.
    virtual void PageConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                    int line, const QString& source);

private:
    ConsoleTap m_tap;
};

}  // namespace veltrix::browserhost
