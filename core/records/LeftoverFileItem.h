#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

// Kinds of files an app leaves in the user's Library. The case order is also the order in
// which leftover lists are grouped and sorted.
enum class LeftoverCategory { appSupport, caches, preferences, containers, logs, launchAgents, savedState, other };

template <> struct TruneRawValues<LeftoverCategory> {
    static constexpr std::array cases{
        TruneRawCase{LeftoverCategory::appSupport, "appSupport"},
        TruneRawCase{LeftoverCategory::caches, "caches"},
        TruneRawCase{LeftoverCategory::preferences, "preferences"},
        TruneRawCase{LeftoverCategory::containers, "containers"},
        TruneRawCase{LeftoverCategory::logs, "logs"},
        TruneRawCase{LeftoverCategory::launchAgents, "launchAgents"},
        TruneRawCase{LeftoverCategory::savedState, "savedState"},
        TruneRawCase{LeftoverCategory::other, "other"},
    };
};

// One file or folder an app left behind. `id` is chosen when the item is made.
struct LeftoverFileItem {
    // `id` nullopt means the path.
    LeftoverFileItem(
        std::optional<QString> id, QString path, LeftoverCategory category, qint64 sizeBytes, bool isSelected);

    const QString& id() const { return m_id; }

    // The last component of `path`; for a path ending in "/", the name before it.
    QString fileName() const;

    QString path;
    LeftoverCategory category = LeftoverCategory::other;
    qint64 sizeBytes = 0; // allocated size on disk
    bool isSelected = false;

    bool operator==(const LeftoverFileItem&) const = default;

private:
    QString m_id;
};

size_t qHash(const LeftoverFileItem& item, size_t seed = 0);

template <> struct TruneJsonCoding<LeftoverFileItem> {
    static QJsonValue encode(const LeftoverFileItem& item);
    static TruneJsonResult<LeftoverFileItem> decode(const QJsonValue& json);
};

// An app bundle that arrived in the Trash while its leftovers are still in the Library.
// Never stored; nothing of it changes once it exists.
class TrashLeftoverAlert final {
public:
    TrashLeftoverAlert(QUuid id, QString appName, QString bundleID, QString trashedAppPath, QDateTime detectedAt,
        std::vector<LeftoverFileItem> leftovers);

    const QUuid& id() const { return m_id; }
    const QString& appName() const { return m_appName; }
    const QString& bundleID() const { return m_bundleID; }
    const QString& trashedAppPath() const { return m_trashedAppPath; }
    const QDateTime& detectedAt() const { return m_detectedAt; }
    const std::vector<LeftoverFileItem>& leftovers() const { return m_leftovers; }

    // The leftovers' sizes added up; held at the 64-bit limits rather than wrapping round.
    qint64 totalSizeBytes() const;

    bool operator==(const TrashLeftoverAlert&) const = default;

private:
    QUuid m_id;
    QString m_appName;
    QString m_bundleID;
    QString m_trashedAppPath;
    QDateTime m_detectedAt;
    std::vector<LeftoverFileItem> m_leftovers;
};

size_t qHash(const TrashLeftoverAlert& alert, size_t seed = 0);
