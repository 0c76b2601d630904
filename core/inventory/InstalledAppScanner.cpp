#include "core/inventory/InstalledAppScanner.h"

#include "core/inventory/BundleInfoReader.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/MachOArchitectureReader.h"
#include "core/records/LocalizedNameComparison.h"
#include "kit/platform/TrunePaths.h"
#include "kit/platform/TruneStableSort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThreadPool>

#include <sys/stat.h>

#include <algorithm>

namespace InstalledAppScanner {

namespace {

constexpr QDir::Filters kVisibleEntries = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;

bool hasAppExtension(const QFileInfo& entry)
{
    return entry.suffix().compare(QLatin1String("app"), Qt::CaseInsensitive) == 0;
}

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

// Hidden entries are left out; a listing that fails yields nothing.
QFileInfoList visibleEntries(const QString& folder)
{
    return QDir(folder).entryInfoList(kVisibleEntries, QDir::Name);
}

// A text value counts only when it is a string with something besides white space.
std::optional<QString> nonEmptyString(const QVariantMap& info, const QString& key)
{
    const std::optional<QString> text = BundleInfoReader::stringValue(info, key);
    if (!text)
        return std::nullopt;
    QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

bool isDirectory(const QString& path)
{
    struct stat info { };
    return stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

AppOriginKind origin(const QString& bundlePath, const QString& bundleID, const std::optional<QString>& sparkleFeedURL)
{
    if (bundleID.toLower().startsWith(QLatin1String("com.quorvane.")))
        return AppOriginKind::quorvane;
    // Presence only: the receipt is never opened.
    if (QFileInfo::exists(bundlePath + QStringLiteral("/Contents/_MASReceipt/receipt")))
        return AppOriginKind::appStore;
    if (sparkleFeedURL)
        return AppOriginKind::sparkle;
    return AppOriginKind::direct;
}

std::optional<QDateTime> modificationDate(const QString& bundlePath)
{
    const QDateTime modified = QFileInfo(bundlePath).lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return modified.toUTC();
}

// Inspects every bundle on a private pool of at most `limit` threads. Each record is kept in the
// slot of its bundle, so the result follows discovery order whatever order the inspections end in.
std::vector<std::optional<InstalledAppRecord>> inspectConcurrently(
    const QStringList& bundles, bool includeSizes, int limit, const InspectionObserver& observer)
{
    std::vector<std::optional<InstalledAppRecord>> records(static_cast<std::size_t>(bundles.size()));
    QThreadPool pool;
    pool.setMaxThreadCount(static_cast<int>(std::min<qsizetype>(limit, bundles.size())));
    for (qsizetype index = 0; index < bundles.size(); ++index) {
        pool.start([&, index] {
            const QString& bundle = bundles[index];
            if (observer.started)
                observer.started(bundle);
            std::optional<InstalledAppRecord>& record = records[static_cast<std::size_t>(index)];
            record = inspectAppBundle(bundle, includeSizes);
            if (record && observer.inspected)
                observer.inspected(*record);
            if (observer.finished)
                observer.finished(bundle);
        });
    }
    pool.waitForDone();
    return records;
}

} // namespace

QStringList discoverAppBundlePaths(const QStringList& folders)
{
    QStringList bundles;
    for (const QString& folder : folders) {
        if (!QFileInfo::exists(folder))
            continue;
        for (const QFileInfo& entry : visibleEntries(folder)) {
            if (hasAppExtension(entry)) {
                bundles.append(entry.filePath());
                continue;
            }
            if (!entry.isDir() || entry.isSymLink())
                continue;
            for (const QFileInfo& child : visibleEntries(entry.filePath())) {
                if (hasAppExtension(child))
                    bundles.append(child.filePath());
            }
        }
    }
    return bundles;
}

QStringList defaultSearchDirectories()
{
    return {QStringLiteral("/Applications"), TrunePaths::homeDirectory() + QStringLiteral("/Applications")};
}

std::vector<InstalledAppRecord> scanInstalledApps(const QStringList& folders, bool includeSizes, int maxConcurrency,
    const QLocale& locale, const InspectionObserver& observer)
{
    const QStringList bundles = discoverAppBundlePaths(folders);
    if (bundles.isEmpty())
        return {};
    std::vector<InstalledAppRecord> records;
    records.reserve(static_cast<std::size_t>(bundles.size()));
    QSet<QString> seenPaths;
    for (std::optional<InstalledAppRecord>& record :
        inspectConcurrently(bundles, includeSizes, std::max(1, maxConcurrency), observer)) {
        if (!record)
            continue;
        const QString path = standardizedPath(record->path);
        if (seenPaths.contains(path))
            continue;
        seenPaths.insert(path);
        records.push_back(std::move(*record));
    }
    const LocalizedNameComparison names(locale);
    truneStableSort(
        records.begin(), records.end(), [&](const InstalledAppRecord& left, const InstalledAppRecord& right) {
            return names.compare(left.name, right.name) < 0;
        });
    return records;
}

std::optional<InstalledAppRecord> inspectAppBundle(const QString& bundlePath, bool includeSize)
{
    const QString path = standardizedPath(bundlePath);
    const QFileInfo bundle(path);
    if (!hasAppExtension(bundle) || !isDirectory(path))
        return std::nullopt;

    const QVariantMap info = BundleInfoReader::readInfoDictionary(path);
    const QString name
        = nonEmptyString(info, QStringLiteral("CFBundleDisplayName"))
              .value_or(nonEmptyString(info, QStringLiteral("CFBundleName")).value_or(bundle.completeBaseName()));
    const QString bundleID = nonEmptyString(info, QStringLiteral("CFBundleIdentifier")).value_or(QString());
    const QString buildVersion = nonEmptyString(info, QStringLiteral("CFBundleVersion")).value_or(QString());
    const QString installedVersion
        = nonEmptyString(info, QStringLiteral("CFBundleShortVersionString")).value_or(buildVersion);
    const std::optional<QString> sparkleFeedURL = nonEmptyString(info, QStringLiteral("SUFeedURL"));

    return InstalledAppRecord(std::nullopt, name, bundleID, path, installedVersion, buildVersion, std::nullopt, false,
        std::nullopt, std::nullopt, sparkleFeedURL, std::nullopt, origin(path, bundleID, sparkleFeedURL),
        MachOArchitectureReader::detectAppBundle(path, info),
        includeSize ? FastDirectorySizeReader::allocatedSize(path, true) : 0, modificationDate(path), std::nullopt);
}

qint64 directorySize(const QString& path)
{
    return FastDirectorySizeReader::allocatedSize(path, true);
}

} // namespace InstalledAppScanner
