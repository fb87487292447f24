// The object the page bridge's script reaches through the web channel: it passes each message
// on, as it came, to whoever listens. A snapshot's markup comes as an argument of its own, so that
// the large text is decoded once, by the channel, and never again as part of the message. Once the
// page has loaded, a large message is not carried by the channel at all: the page keeps it and
// says its number, and the host takes it with a script call, whose result crosses between the
// processes several times faster than the channel's JSON.
#pragma once

#include <QObject>
#include <QString>

namespace veltrix::browserhost {

class BridgeEndpoint : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

public slots:
    void report(const QString& message) { emit Reported(message, {}); }
    void reportDocument(const QString& message, const QString& markup) {
        emit Reported(message, markup);
    }

    void pull(double number) { emit PullAsked(number); }

signals:
    void Reported(const QString& message, const QString& markup);
    void PullAsked(double number);
};

}  // namespace veltrix::browserhost
