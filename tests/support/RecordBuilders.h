#pragma once

// Fluent builders for the records whose constructors take many fields, so that a test names
// only the fields it depends on. Each setter is named after the field it sets; a flag setter
// without an argument turns the flag on.

#include "core/records/HomebrewItem.h"
#include "core/records/InstalledAppRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// By default an app at "/Applications/<name>.app" with the record's own defaults everywhere
// else: no bundle identifier, no versions, a direct download of unknown architecture, not yet
// measured or checked. Its id is derived from the bundle unless one is given.
class AppRecordBuilder final {
public:
    explicit AppRecordBuilder(const QString& name)
        : m_fields(std::nullopt, name, QString(), applicationsPath(name), {}, {}, std::nullopt, false, std::nullopt,
            std::nullopt, std::nullopt, std::nullopt, AppOriginKind::direct, AppArchitecture::unknown, 0, std::nullopt,
            std::nullopt)
    {
    }

    // nullopt derives the id from the bundle identifier and the path, as the record does.
    AppRecordBuilder& id(std::optional<QString> value)
    {
        m_id = std::move(value);
        return *this;
    }
    AppRecordBuilder& bundleID(QString value)
    {
        m_fields.bundleID = std::move(value);
        return *this;
    }
    AppRecordBuilder& path(QString value)
    {
        m_fields.path = std::move(value);
        return *this;
    }
    AppRecordBuilder& installedVersion(QString value)
    {
        m_fields.installedVersion = std::move(value);
        return *this;
    }
    AppRecordBuilder& buildVersion(QString value)
    {
        m_fields.buildVersion = std::move(value);
        return *this;
    }
    AppRecordBuilder& latestVersion(std::optional<QString> value)
    {
        m_fields.latestVersion = std::move(value);
        return *this;
    }
    AppRecordBuilder& updateAvailable(bool value = true)
    {
        m_fields.updateAvailable = value;
        return *this;
    }
    AppRecordBuilder& releaseNotesURL(std::optional<QString> value)
    {
        m_fields.releaseNotesURL = std::move(value);
        return *this;
    }
    AppRecordBuilder& downloadURL(std::optional<QString> value)
    {
        m_fields.downloadURL = std::move(value);
        return *this;
    }
    AppRecordBuilder& sparkleFeedURL(std::optional<QString> value)
    {
        m_fields.sparkleFeedURL = std::move(value);
        return *this;
    }
    AppRecordBuilder& homebrewCaskToken(std::optional<QString> value)
    {
        m_fields.homebrewCaskToken = std::move(value);
        return *this;
    }
    AppRecordBuilder& origin(AppOriginKind value)
    {
        m_fields.origin = value;
        return *this;
    }
    AppRecordBuilder& architecture(AppArchitecture value)
    {
        m_fields.architecture = value;
        return *this;
    }
    AppRecordBuilder& sizeBytes(qint64 value)
    {
        m_fields.sizeBytes = value;
        return *this;
    }
    AppRecordBuilder& modifiedAt(std::optional<QDateTime> value)
    {
        m_fields.modifiedAt = std::move(value);
        return *this;
    }
    AppRecordBuilder& lastCheckedAt(std::optional<QDateTime> value)
    {
        m_fields.lastCheckedAt = std::move(value);
        return *this;
    }

    // The id is chosen here, from the fields as they are now.
    InstalledAppRecord build() const
    {
        const InstalledAppRecord& f = m_fields;
        return InstalledAppRecord(m_id, f.name, f.bundleID, f.path, f.installedVersion, f.buildVersion, f.latestVersion,
            f.updateAvailable, f.releaseNotesURL, f.downloadURL, f.sparkleFeedURL, f.homebrewCaskToken, f.origin,
            f.architecture, f.sizeBytes, f.modifiedAt, f.lastCheckedAt);
    }

private:
    static QString applicationsPath(const QString& name)
    {
        using namespace Qt::StringLiterals;
        return u"/Applications/"_s + name + u".app"_s;
    }

    std::optional<QString> m_id;
    InstalledAppRecord m_fields; // every field but the id, which only the constructor sets
};

// By default an installed formula the user asked for, at no known version and not outdated.
class HomebrewItemBuilder final {
public:
    explicit HomebrewItemBuilder(const QString& name)
        : m_fields(name, std::nullopt, false, std::nullopt, QString(), false, QString(), std::nullopt, true, {}, true)
    {
    }

    // Unset, the full name is the name.
    HomebrewItemBuilder& fullName(QString value)
    {
        m_fullName = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& cask(bool value = true)
    {
        m_fields.isCask = value;
        return *this;
    }
    HomebrewItemBuilder& installedVersion(std::optional<QString> value)
    {
        m_fields.installedVersion = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& latestVersion(QString value)
    {
        m_fields.latestVersion = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& outdated(bool value = true)
    {
        m_fields.isOutdated = value;
        return *this;
    }
    HomebrewItemBuilder& description(QString value)
    {
        m_fields.description = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& homepage(std::optional<QString> value)
    {
        m_fields.homepage = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& installed(bool value = true)
    {
        m_fields.isInstalled = value;
        return *this;
    }
    HomebrewItemBuilder& appArtifacts(QStringList value)
    {
        m_fields.appArtifacts = std::move(value);
        return *this;
    }
    HomebrewItemBuilder& installedOnRequest(bool value = true)
    {
        m_fields.installedOnRequest = value;
        return *this;
    }

    // The id is chosen here, from the kind and the name.
    HomebrewItem build() const
    {
        const HomebrewItem& f = m_fields;
        return HomebrewItem(f.name, m_fullName, f.isCask, f.installedVersion, f.latestVersion, f.isOutdated,
            f.description, f.homepage, f.isInstalled, f.appArtifacts, f.installedOnRequest);
    }

private:
    std::optional<QString> m_fullName;
    HomebrewItem m_fields; // every field but the id and the full name, which the constructor derives
};
