#include "browserhost/web/bridge_scripts.h"

#include <QFile>
#include <QRandomGenerator>

namespace veltrix::browserhost {
namespace {

QString ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QWebEngineScript MakeScript(const QString& name, const QString& source, quint32 world,
                            bool subFrames) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setWorldId(world);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(subFrames);
    return script;
}

}  // namespace

QString RandomSubmitEventName() {
    auto* random = QRandomGenerator::system();
    return QStringLiteral("x%1%2")
        .arg(random->generate64(), 16, 16, QLatin1Char('0'))
        .arg(random->generate64(), 16, 16, QLatin1Char('0'));
}

QString RandomChannelKey() {
    auto* random = QRandomGenerator::system();
    return QStringLiteral("%1%2")
        .arg(random->generate64(), 16, 16, QLatin1Char('0'))
        .arg(random->generate64(), 16, 16, QLatin1Char('0'));
}

QList<QWebEngineScript> BridgeScripts(const QString& submitEventName, const QString& channelKey) {
    const QString channel = ReadResource(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QString bridge = ReadResource(QStringLiteral(":/veltrix/bridge/page_bridge.js"));
    QString hook = ReadResource(QStringLiteral(":/veltrix/bridge/submit_hook.js"));
    if (channel.isEmpty() || bridge.isEmpty() || hook.isEmpty()) {
        return {};
    }
    bridge.replace(QStringLiteral("%SUBMIT_EVENT%"), submitEventName);
    bridge.replace(QStringLiteral("%CHANNEL_KEY%"), channelKey);
    hook.replace(QStringLiteral("%SUBMIT_EVENT%"), submitEventName);
    return {
        MakeScript(QStringLiteral("veltrix-submit-hook"), hook, QWebEngineScript::MainWorld, true),
        MakeScript(QStringLiteral("veltrix-bridge"), channel + QLatin1Char('\n') + bridge,
                   kBridgeWorldId, true),
    };
}

}  // namespace veltrix::browserhost
