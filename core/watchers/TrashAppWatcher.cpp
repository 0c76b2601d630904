#include "core/watchers/TrashAppWatcher.h"

#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "kit/platform/TruneFolderWatcher.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using namespace std::chrono_literals;

constexpr auto kDebounceInterval = 250ms;
// Bundles inspected at once when looking for an installed copy of a trashed app.

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

QString identifierKey(const QString& bundleID)
{
    return bundleID.trimmed().toLower();
}

} // namespace

TrashAppWatcher::TrashAppWatcher(QString trashURL, QString libraryRootURL, QStringList installedSearchDirectories)
    : m_trashURL(std::move(trashURL))
    , m_libraryRootURL(std::move(libraryRootURL))
    , m_installedSearchDirectories(std::move(installedSearchDirectories))
{
}

TrashAppWatcher::~TrashAppWatcher()
{
    stop();
}

void TrashAppWatcher::start(AlertHandler onAlert)
{
    stop();
    QSet<QString> known = currentTrashedAppPaths();
    auto source = std::make_unique<TruneFolderWatcher>(
        QStringList{m_trashURL}, kDebounceInterval, [this] { checkForNewTrashedApps(); });
    std::lock_guard lock(m_mutex);
    m_knownTrashedAppPaths = std::move(known);
    m_onAlert = std::move(onAlert);
    m_source = std::move(source);
    // Started under the lock: its first check waits for the known set and handler stored above.
    m_source->start();
}

void TrashAppWatcher::stop()
{
    std::unique_ptr<TruneFolderWatcher> source;
    AlertHandler onAlert;
    {
        std::lock_guard lock(m_mutex);
        source = std::move(m_source);
        onAlert = std::exchange(m_onAlert, nullptr);
    }
    // Outside the lock: a check waiting for it would otherwise never let the watcher's thread end.
    source.reset();
}

std::vector<TrashLeftoverAlert> TrashAppWatcher::checkForNewTrashedApps()
{
    const QSet<QString> current = currentTrashedAppPaths();
    QStringList arrived;
    AlertHandler onAlert;
    {
        std::lock_guard lock(m_mutex);
        for (const QString& path : current) {
            if (!m_knownTrashedAppPaths.contains(path))
                arrived.append(path);
        }
        m_knownTrashedAppPaths = current;
        onAlert = m_onAlert;
    }
    std::ranges::sort(arrived);

    std::vector<TrashLeftoverAlert> alerts;
    std::optional<QSet<QString>> installedIDs; // looked up once, and only when needed
    for (const QString& path : arrived) {
        const std::optional<InstalledAppRecord> app = InstalledAppScanner::inspectAppBundle(path, false);
        if (!app || isAppStillInstalled(QFileInfo(path).fileName(), app->bundleID))
            continue;
        if (!installedIDs)
            installedIDs = installedBundleIDs();
        std::vector<LeftoverFileItem> leftovers
            = AppLeftoverScanner::scanLeftovers(app->name, app->bundleID, m_libraryRootURL, QLocale(), *installedIDs);
        if (leftovers.empty())
            continue;
        alerts.emplace_back(
            QUuid::createUuid(), app->name, app->bundleID, path, QDateTime::currentDateTimeUtc(), std::move(leftovers));
        if (onAlert)
            onAlert(alerts.back());
    }
    return alerts;
}

QSet<QString> TrashAppWatcher::currentTrashedAppPaths() const
{
    QSet<QString> paths;
    const QFileInfoList entries
        = QDir(m_trashURL).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.suffix().compare(QLatin1StringView("app"), Qt::CaseInsensitive) == 0)
            paths.insert(standardizedPath(entry.filePath()));
    }
    return paths;
}

QSet<QString> TrashAppWatcher::installedBundleIDs() const
{
    QSet<QString> ids;
    for (const QString& path : InstalledAppScanner::discoverAppBundlePaths(m_installedSearchDirectories)) {
        if (const std::optional<InstalledAppRecord> app = InstalledAppScanner::inspectAppBundle(path, false))
            ids.insert(identifierKey(app->bundleID));
    }
    ids.remove(QString());
    return ids;
}

bool TrashAppWatcher::isAppStillInstalled(const QString& bundleFileName, const QString& bundleID) const
{
    if (m_installedSearchDirectories.isEmpty())
        return false;
    // The cheap test first: anything under the very same name at the top level.
    for (const QString& folder : m_installedSearchDirectories) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + bundleFileName))
            return true;
    }
    // Then every bundle where the inventory finds apps, so that a copy kept in a sub-folder
    // counts as installed just as it is listed as installed. Bundles are inspected only when
    // their name differs and there is an identifier to compare.
    const QString name = bundleFileName.toLower();
    const QString id = identifierKey(bundleID);
    const QStringList bundles = InstalledAppScanner::discoverAppBundlePaths(m_installedSearchDirectories);
    return std::ranges::any_of(bundles, [&](const QString& path) {
        if (QFileInfo(path).fileName().toLower() == name)
            return true;
        if (id.isEmpty())
            return false;
        const std::optional<InstalledAppRecord> app = InstalledAppScanner::inspectAppBundle(path, false);
        return app && identifierKey(app->bundleID) == id;
    });
}
