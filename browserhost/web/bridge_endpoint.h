// The object the page bridge's script reaches through the web channel: it passes each message
// on, as it came, to whoever listens.
#pragma once

#include <QObject>
#include <QString>

namespace veltrix::browserhost {

class BridgeEndpoint : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

public slots:
    void report(const QString& message) { emit Reported(message); }

signals:
    void Reported(const QString& message);
};

}  // namespace veltrix::browserhost
