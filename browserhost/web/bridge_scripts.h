// The scripts the page bridge injects into every page: the bridge itself in an isolated world of
// every frame (with the channel's client in the top frame), and the hook on form.submit() in
// the page's own world. The name of the event through which the hook reaches the bridge is
// random for each window, and so is the key that frames of another origin put on the messages
// they write to their console: it lives only in the isolated world's source, which no page can
// read.
#pragma once

#include <QList>
#include <QString>
#include <QWebEngineScript>

namespace veltrix::browserhost {

// The world the bridge runs in: none of the page's scripts run there.
inline constexpr quint32 kBridgeWorldId = 137;

// A fresh random event name for the hook.
QString RandomSubmitEventName();

// A fresh random key for the console messages of frames of another origin (32 hex digits).
QString RandomChannelKey();

// The scripts, ready for a page's script collection; empty when a resource is missing.
QList<QWebEngineScript> BridgeScripts(const QString& submitEventName, const QString& channelKey);

}  // namespace veltrix::browserhost
