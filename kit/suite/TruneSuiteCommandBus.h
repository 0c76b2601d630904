#pragma once

#include "kit/platform/TruneDistributedNotificationCenter.h"
#include "kit/suite/TruneSuiteApp.h"
#include "kit/suite/TruneSuiteCommandEnvelope.h"
#include "kit/suite/TruneSuiteCommandKind.h"
#include "kit/suite/TruneSuiteSendError.h"

#include <QDateTime>
#include <QString>

#include <expected>
#include <functional>
#include <memory>
#include <optional>

struct TruneSuiteSendOptions {
    std::optional<qint32> targetPID = std::nullopt; // below 2 refuses the send: 0, 1 and -1 name no one process
    std::optional<QString> targetName = std::nullopt;
    std::optional<QString> payload = std::nullopt;
    bool launchIfNeeded = false; // start an installed target that is not running
    bool bringToFront = false;   // bring the target to the front as well
};

// Delivers suite commands between the sibling apps of one user without a server: the sender
// writes the command into its target's one slot, "Commands/<target>-cmd.json" (a later command
// replaces a waiting one), and rings the target with the notification
// "com.quorvane.suite.command.<target>"; the target takes the file when rung, and once shortly
// after it starts listening, so a command that launched it is found too.
class TruneSuiteCommandBus final {
public:
    using Handler = std::function<void(const TruneSuiteCommandEnvelope&)>;

    // The slots live in "<baseDirectory>/Commands"; without a base directory, in
    // "Quorvane/SuiteTelemetry/Commands" of the Application Support directory. Touches no file.
    explicit TruneSuiteCommandBus(const std::optional<QString>& baseDirectory = std::nullopt);

    static const TruneSuiteCommandBus& shared();
    static QString notificationName(TruneSuiteApp app);

    const QString& commandsDirectory() const { return m_commandsDirectory; }
    QString commandFilePath(TruneSuiteApp app) const;

    // Builds, stores and delivers one command. True when it was stored and the running target
    // was rung, or the installed target was started. False, with nothing written, when the
    // target PID is below 2 or the target is neither running nor (with launchIfNeeded)
    // installed; false also when the slot cannot be written, no notification bus is reachable
    // or the target cannot be started.
    bool send(
        TruneSuiteCommandKind kind, TruneSuiteApp from, TruneSuiteApp to, const TruneSuiteSendOptions& options) const;
    // The same delivery, saying why it failed.
    std::expected<void, TruneSuiteSendError> deliver(
        TruneSuiteCommandKind kind, TruneSuiteApp from, TruneSuiteApp to, const TruneSuiteSendOptions& options) const;

    // Stores a ready envelope in its target's slot, without ringing or launching.
    bool enqueue(const TruneSuiteCommandEnvelope& envelope) const;

    // The app's waiting command, left in place. Nothing when there is none, it does not decode,
    // is addressed to another app, names a target PID below 2, or lies more than maxAgeSeconds
    // from `now` either way.
    std::optional<TruneSuiteCommandEnvelope> peekPendingCommand(
        TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const;

    // Takes the app's waiting command: the slot is moved to a private name before it is read,
    // so exactly one consumer gets it and a command written meanwhile waits in a fresh slot.
    // What was taken is gone even when it is refused as peek refuses it.
    std::optional<TruneSuiteCommandEnvelope> consumePendingCommand(
        TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const;

    // Hands the app's commands to `handler` on this thread's event loop: each ring takes the
    // waiting command, and so does one check 0.35 s from now. Commands older than 25 s are
    // dropped. Listening stops when the returned observation is destroyed.
    std::unique_ptr<TruneDistributedObservation> startListening(TruneSuiteApp app, Handler handler) const;

private:
    QString m_commandsDirectory;
};
