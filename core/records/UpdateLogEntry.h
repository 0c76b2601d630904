#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUuid>

#include <optional>

// What an operation recorded in the history did.
enum class UpdateLogAction {
    brewUpgrade,
    brewInstall,
    brewUninstall,
    brewCleanup,
    sparkleDownload,
    leftoverTrash,
    appUninstall,
};

template <> struct TruneRawValues<UpdateLogAction> {
    static constexpr std::array cases{
        TruneRawCase{UpdateLogAction::brewUpgrade, "brewUpgrade"},
        TruneRawCase{UpdateLogAction::brewInstall, "brewInstall"},
        TruneRawCase{UpdateLogAction::brewUninstall, "brewUninstall"},
        TruneRawCase{UpdateLogAction::brewCleanup, "brewCleanup"},
        TruneRawCase{UpdateLogAction::sparkleDownload, "sparkleDownload"},
        TruneRawCase{UpdateLogAction::leftoverTrash, "leftoverTrash"},
        TruneRawCase{UpdateLogAction::appUninstall, "appUninstall"},
    };
};

// How a recorded operation ended.
enum class UpdateLogStatus { success, failed, cancelled };

template <> struct TruneRawValues<UpdateLogStatus> {
    static constexpr std::array cases{
        TruneRawCase{UpdateLogStatus::success, "success"},
        TruneRawCase{UpdateLogStatus::failed, "failed"},
        TruneRawCase{UpdateLogStatus::cancelled, "cancelled"},
    };
};

// One entry of the operation history. Callers give every entry a fresh random id and the time
// the operation ended; the id never changes afterwards.
struct UpdateLogEntry {
    UpdateLogEntry(QUuid id, QDateTime timestamp, QString appName, UpdateLogAction action,
        std::optional<QString> fromVersion, std::optional<QString> toVersion, UpdateLogStatus status, QString details);

    const QUuid& id() const { return m_id; }

    QDateTime timestamp;
    QString appName; // the app or package; a batch upgrade gives a title of its own
    UpdateLogAction action = UpdateLogAction::brewUpgrade;
    std::optional<QString> fromVersion;
    std::optional<QString> toVersion;
    UpdateLogStatus status = UpdateLogStatus::success;
    QString details; // a message, a command or an error text; may be empty

    bool operator==(const UpdateLogEntry&) const = default;

private:
    QUuid m_id;
};

size_t qHash(const UpdateLogEntry& entry, size_t seed = 0);

template <> struct TruneJsonCoding<UpdateLogEntry> {
    static QJsonValue encode(const UpdateLogEntry& entry);
    static TruneJsonResult<UpdateLogEntry> decode(const QJsonValue& json);
};
