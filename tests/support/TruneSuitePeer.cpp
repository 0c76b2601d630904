// trune-suite-peer: a sibling app of the suite for two-process tests. It prints what happens to
// it as JSON lines, on standard output or appended to the file after --out.
//
//   serve <App> [--out FILE]
//       Owns the app's bus name and answers org.freedesktop.Application.Activate; prints
//       {"event":"ready","pid":N}, then {"event":"command","envelope":{...}} for each command it
//       receives, {"event":"activated"}, {"event":"telemetryUpdated","lumbraSender":N|null} and
//       {"event":"dockHover","target":"mini"|"studio"|null}. Runs until terminated.
//   consume <App> <stop-file> [--out FILE]
//       Takes the app's commands as fast as it can and prints {"event":"consumed","id":"..."} for
//       each, until the stop file exists.
//   publish-lumbra [--out FILE]
//       Publishes a Lumbra live status of its own and notifies; prints {"event":"published",
//       "pid":N} and lives until its standard input closes.
//   hover <mini|studio|none>
//       Posts the Stillo dock-hover notice.
//   send <From> <To> <kind> [--launch] [--front] [--pid N] [--out FILE]
//       Sends a command and prints {"event":"sent","result":true|false}, with "why" (the English
//       description) when it failed.

#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/suite/TruneSuiteTelemetryBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString outputPath;

void print(const QJsonObject& line)
{
    const QByteArray text = truneJsonSerialize(QJsonValue(line)) + '\n';
    if (outputPath.isEmpty()) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        std::fflush(stdout);
        return;
    }
    QFile file(outputPath);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(text);
}

qint64 ownPid()
{
    return QCoreApplication::applicationPid();
}

class ApplicationObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    using QObject::QObject;

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap&) { print({{u"event"_s, u"activated"_s}}); }
    Q_SCRIPTABLE void Open(const QStringList&, const QVariantMap&) { }
    Q_SCRIPTABLE void ActivateAction(const QString&, const QVariantList&, const QVariantMap&) { }
};

QString objectPath(const QString& identifier)
{
    QString path = u"/"_s + identifier;
    return path.replace(u'.', u'/');
}

int serve(TruneSuiteApp app)
{
    const QString identifier = TruneSuiteCatalog::bundleIdentifier(app);
    QDBusConnection bus = QDBusConnection::sessionBus();
    ApplicationObject applicationObject;
    if (!bus.registerObject(objectPath(identifier), &applicationObject, QDBusConnection::ExportScriptableSlots)
        || !bus.registerService(identifier))
        return 3;
    const TruneSuiteTelemetryBus telemetry;
    const auto commands = TruneSuiteCommandBus().startListening(app, [](const TruneSuiteCommandEnvelope& envelope) {
        print({{u"event"_s, u"command"_s}, {u"envelope"_s, truneJsonEncode(envelope)}});
    });
    const auto updates = telemetry.observeTelemetryUpdates([&telemetry] {
        const auto status = telemetry.readLumbraStatus(QDateTime::currentDateTimeUtc(), 30);
        print({{u"event"_s, u"telemetryUpdated"_s},
            {u"lumbraSender"_s, status ? QJsonValue(status->senderPID) : QJsonValue(QJsonValue::Null)}});
    });
    const auto hover = telemetry.observeStilloDockHover([](const std::optional<QString>& target) {
        print(
            {{u"event"_s, u"dockHover"_s}, {u"target"_s, target ? QJsonValue(*target) : QJsonValue(QJsonValue::Null)}});
    });
    print({{u"event"_s, u"ready"_s}, {u"pid"_s, ownPid()}});
    return QCoreApplication::exec();
}

int consume(TruneSuiteApp app, const QString& stopFile)
{
    const TruneSuiteCommandBus bus;
    const auto takeAll = [&] {
        while (auto envelope = bus.consumePendingCommand(app, QDateTime::currentDateTimeUtc(), 3600))
            print({{u"event"_s, u"consumed"_s}, {u"id"_s, truneJsonEncode(envelope->id)}});
    };
    while (!QFile::exists(stopFile)) {
        takeAll();
        QThread::usleep(100);
    }
    takeAll();
    return 0;
}

int publishLumbra()
{
    LumbraLiveStatus status;
    status.timestamp = QDateTime::currentDateTimeUtc();
    status.senderPID = static_cast<qint32>(ownPid());
    status.pressureLevel = u"normal"_s;
    TruneSuiteTelemetryBus().publishLumbraStatus(status, true);
    print({{u"event"_s, u"published"_s}, {u"pid"_s, ownPid()}});
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

int send(const QStringList& arguments)
{
    const auto from = fromRawValue<TruneSuiteApp>(arguments.value(0));
    const auto to = fromRawValue<TruneSuiteApp>(arguments.value(1));
    const auto kind = fromRawValue<TruneSuiteCommandKind>(arguments.value(2));
    if (!from || !to || !kind)
        return 2;
    TruneSuiteSendOptions options;
    options.launchIfNeeded = arguments.contains(u"--launch"_s);
    options.bringToFront = arguments.contains(u"--front"_s);
    if (const qsizetype at = arguments.indexOf(u"--pid"_s); at >= 0)
        options.targetPID = arguments.value(at + 1).toInt();
    const auto outcome = TruneSuiteCommandBus().deliver(*kind, *from, *to, options);
    QJsonObject line{{u"event"_s, u"sent"_s}, {u"result"_s, outcome.has_value()}};
    if (!outcome)
        line.insert(u"why"_s, outcome.error().description(TruneLanguage::en));
    print(line);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    if (const qsizetype at = arguments.indexOf(u"--out"_s); at >= 0) {
        outputPath = arguments.value(at + 1);
        arguments.remove(at, 2);
    }
    const QString mode = arguments.value(0);
    const auto app = fromRawValue<TruneSuiteApp>(arguments.value(1));
    if (mode == u"serve"_s && app)
        return serve(*app);
    if (mode == u"consume"_s && app && arguments.size() == 3)
        return consume(*app, arguments.at(2));
    if (mode == u"publish-lumbra"_s)
        return publishLumbra();
    if (mode == u"hover"_s && arguments.size() == 2) {
        const QString target = arguments.at(1);
        TruneSuiteTelemetryBus().postStilloDockHoverTarget(target == u"none"_s ? std::nullopt : std::optional(target));
        return 0;
    }
    if (mode == u"send"_s)
        return send(arguments.mid(1));
    std::fputs("usage: trune-suite-peer serve|consume|publish-lumbra|hover|send ...\n", stderr);
    return 2;
}

#include "TruneSuitePeer.moc"
