#include "kit/suite/TruneSuiteCommandBus.h"

#include "kit/platform/TruneApplicationLauncher.h"
#include "kit/platform/TruneJson.h"
#include "kit/platform/TrunePaths.h"
#include "kit/suite/TruneSuiteFiles.h"
#include "kit/suite/TruneSuiteFreshness.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

constexpr double listeningMaxAgeSeconds = 25;
constexpr int startupCheckDelayMs = 350;

QString slotName(TruneSuiteApp app)
{
    return rawValue(app).toLower() + u"-cmd.json"_s;
}

bool isAcceptable(
    const TruneSuiteCommandEnvelope& envelope, TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds)
{
    if (envelope.targetApp != app)
        return false;
    if (envelope.targetPID && *envelope.targetPID < 2)
        return false;
    return TruneSuiteFreshness::isRecent(envelope.timestamp, now, maxAgeSeconds);
}

std::optional<TruneSuiteCommandEnvelope> acceptedCommand(
    const std::optional<QByteArray>& bytes, TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds)
{
    if (!bytes)
        return std::nullopt;
    auto envelope = truneJsonDecode<TruneSuiteCommandEnvelope>(*bytes);
    if (!envelope || !isAcceptable(*envelope, app, now, maxAgeSeconds))
        return std::nullopt;
    return std::move(*envelope);
}

bool isFolder(const QString& path)
{
    struct stat status { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

TruneSuiteCommandBus::TruneSuiteCommandBus(const std::optional<QString>& baseDirectory)
    : m_commandsDirectory(
        baseDirectory.value_or(TrunePaths::applicationSupportDirectory() + u"/Quorvane/SuiteTelemetry"_s)
        + u"/Commands"_s)
{
}

const TruneSuiteCommandBus& TruneSuiteCommandBus::shared()
{
    static const TruneSuiteCommandBus bus;
    return bus;
}

QString TruneSuiteCommandBus::notificationName(TruneSuiteApp app)
{
    return u"com.quorvane.suite.command."_s + rawValue(app).toLower();
}

QString TruneSuiteCommandBus::commandFilePath(TruneSuiteApp app) const
{
    return m_commandsDirectory + u'/' + slotName(app);
}

bool TruneSuiteCommandBus::send(
    TruneSuiteCommandKind kind, TruneSuiteApp from, TruneSuiteApp to, const TruneSuiteSendOptions& options) const
{
    return deliver(kind, from, to, options).has_value();
}

std::expected<void, TruneSuiteSendError> TruneSuiteCommandBus::deliver(
    TruneSuiteCommandKind kind, TruneSuiteApp from, TruneSuiteApp to, const TruneSuiteSendOptions& options) const
{
    using Kind = TruneSuiteSendError::Kind;
    const auto failure = [to](Kind why) { return std::unexpected(TruneSuiteSendError{why, to}); };
    if (options.targetPID && *options.targetPID < 2)
        return failure(Kind::invalidTargetPID);
    const bool running = TruneSuiteCatalog::isRunning(to);
    if (!running && !(options.launchIfNeeded && TruneSuiteCatalog::isInstalled(to)))
        return failure(Kind::notInstalled);

    TruneSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = QDateTime::currentDateTimeUtc();
    envelope.sourceApp = from;
    envelope.targetApp = to;
    envelope.kind = kind;
    envelope.targetPID = options.targetPID;
    envelope.targetName = options.targetName;
    envelope.payload = options.payload;
    if (!enqueue(envelope))
        return failure(Kind::couldNotWrite);

    if (running) {
        const bool rung = TruneDistributedNotificationCenter::post(notificationName(to));
        if (options.bringToFront)
            TruneSuiteCatalog::launch(to);
        if (!rung)
            return failure(Kind::noNotificationBus);
        return {};
    }
    // The started app finds the waiting command when it begins listening. A bundle removed since
    // the check above cannot be started either.
    const auto installed = TruneSuiteCatalog::installedURL(to);
    if (!installed)
        return failure(Kind::notInstalled);
    if (!TruneApplicationLauncher::launch(*installed, {.activates = options.bringToFront}))
        return failure(Kind::couldNotLaunch);
    return {};
}

bool TruneSuiteCommandBus::enqueue(const TruneSuiteCommandEnvelope& envelope) const
{
    if (!TruneSuiteFiles::ensureFolder(m_commandsDirectory))
        return false;
    const auto bytes = truneJsonSerializeFinite(envelope);
    return bytes && TruneSuiteFiles::write(commandFilePath(envelope.targetApp), *bytes);
}

std::optional<TruneSuiteCommandEnvelope> TruneSuiteCommandBus::peekPendingCommand(
    TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const
{
    return acceptedCommand(TruneSuiteFiles::read(commandFilePath(app)), app, now, maxAgeSeconds);
}

std::optional<TruneSuiteCommandEnvelope> TruneSuiteCommandBus::consumePendingCommand(
    TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const
{
    const QString slot = commandFilePath(app);
    if (isFolder(slot))
        return std::nullopt;
    // Hidden, and unique to this process and call, so no other consumer can hold the same name.
    const QString taken = m_commandsDirectory + u"/."_s + slotName(app)
        + u".taken-%1-%2"_s.arg(QCoreApplication::applicationPid())
              .arg(qulonglong(QRandomGenerator::global()->generate64()), 16, 16, QChar(u'0'));
    if (std::rename(QFile::encodeName(slot).constData(), QFile::encodeName(taken).constData()) != 0)
        return std::nullopt;
    const std::optional<QByteArray> bytes = TruneSuiteFiles::read(taken);
    TruneSuiteFiles::remove(taken);
    return acceptedCommand(bytes, app, now, maxAgeSeconds);
}

std::unique_ptr<TruneDistributedObservation> TruneSuiteCommandBus::startListening(
    TruneSuiteApp app, Handler handler) const
{
    const TruneSuiteCommandBus bus = *this;
    const auto deliverWaiting = [bus, app, handler] {
        if (auto envelope = bus.consumePendingCommand(app, QDateTime::currentDateTimeUtc(), listeningMaxAgeSeconds))
            handler(*envelope);
    };
    auto observation = TruneDistributedNotificationCenter::observe(
        notificationName(app), [deliverWaiting](const std::optional<QString>&) { deliverWaiting(); });
    QTimer::singleShot(startupCheckDelayMs, observation.get(), deliverWaiting);
    return observation;
}
