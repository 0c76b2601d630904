#pragma once

#include "kit/platform/TruneJson.h"

#include <QHashFunctions>
#include <QString>
#include <QStringList>

#include <optional>

// One Homebrew formula or cask, installed or found by a search.
// `id` follows from the kind and the name when the item is made; the other fields may change.
struct HomebrewItem {
    // `fullName` nullopt means `name`.
    HomebrewItem(QString name, std::optional<QString> fullName, bool isCask, std::optional<QString> installedVersion,
        QString latestVersion, bool isOutdated, QString description, std::optional<QString> homepage, bool isInstalled,
        QStringList appArtifacts, bool installedOnRequest);

    // "cask::<name>" or "formula::<name>", the name unchanged.
    const QString& id() const { return m_id; }

    // An installed formula that nobody asked for: it is there only as a dependency.
    bool isDependencyOnly() const { return !isCask && isInstalled && !installedOnRequest; }

    QString name;     // formula name or cask token, as brew's commands take it
    QString fullName; // equal to `name` when none was given
    bool isCask = false;
    std::optional<QString> installedVersion;
    QString latestVersion; // may be empty
    bool isOutdated = false;
    QString description; // may be empty
    std::optional<QString> homepage;
    bool isInstalled = false;
    QStringList appArtifacts; // .app bundles a cask installs, in Homebrew's order
    bool installedOnRequest = false;

    bool operator==(const HomebrewItem&) const = default;

private:
    friend struct TruneJsonCoding<HomebrewItem>;
    QString m_id;
};

size_t qHash(const HomebrewItem& item, size_t seed = 0);

// Decoding keeps the stored id as it is.
template <> struct TruneJsonCoding<HomebrewItem> {
    static QJsonValue encode(const HomebrewItem& item);
    static TruneJsonResult<HomebrewItem> decode(const QJsonValue& json);
};
