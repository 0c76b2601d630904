#include "core/leftovers/AppLeftoverScanner.h"

#include "core/inventory/FastDirectorySizeReader.h"
#include "core/records/LocalizedNameComparison.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TrunePaths.h"
#include "kit/platform/TruneStableSort.h"
#include "kit/platform/TruneTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>

using namespace Qt::StringLiterals;

namespace AppLeftoverScanner {

namespace {

// English in every language, unlike the other refusals.
const QString kProtectedMessage = QStringLiteral("Protected system file cannot be removed.");

QString notOfferedByScanText(TruneLanguage language)
{
    return truneText(u"Only items found in the Library folders searched for leftovers can be moved to the Trash."_s,
        u"Yalnızca artık dosya taramasında bulunan Library klasörlerindeki öğeler Çöp Sepetine taşınabilir."_s,
        language);
}

QString notABundleText(TruneLanguage language)
{
    return truneText(u"Only an application bundle (a folder whose name ends in .app) can be moved to the Trash."_s,
        u"Yalnızca bir uygulama paketi (adı .app ile biten bir klasör) Çöp Sepetine taşınabilir."_s, language);
}

QString alreadyInTrashText(TruneLanguage language)
{
    return truneText(u"Items already in the Trash are not moved again."_s,
        u"Zaten Çöp Sepetinde olan öğeler yeniden taşınmaz."_s, language);
}

struct ProtectedPrefix {
    QString prefix;
    QString dotted; // "." + prefix, found anywhere in a name
};

const std::vector<ProtectedPrefix>& protectedSystemPrefixes()
{
    static const std::vector<ProtectedPrefix> prefixes = [] {
        std::vector<ProtectedPrefix> list;
        for (const char* prefix : {"com.apple.", "group.com.apple.", "apple.", "system.", ".globalpreferences",
                 "loginwindow", "pbs", "com.quorvane.truneupdate"})
            list.push_back({QString::fromLatin1(prefix), QLatin1Char('.') + QString::fromLatin1(prefix)});
        return list;
    }();
    return prefixes;
}

const QSet<QString>& protectedExactNames()
{
    static const QSet<QString> names{
        QStringLiteral("apple"),
        QStringLiteral("icloud"),
        QStringLiteral("cloudkit"),
        QStringLiteral("mobilesync"),
        QStringLiteral("addressbook"),
        QStringLiteral("calendars"),
        QStringLiteral("mail"),
        QStringLiteral("safari"),
        QStringLiteral("messages"),
        QStringLiteral("keychains"),
        QStringLiteral("preferences"),
        QStringLiteral("dock"),
        QStringLiteral("finder"),
        QStringLiteral("spotlight"),
        QStringLiteral("metadata"),
        QStringLiteral("crashreporter"),
        QStringLiteral("diagnosticreports"),
        QStringLiteral("knowledge"),
        QStringLiteral("biome"),
        QStringLiteral("group containers"),
        QStringLiteral("containers"),
    };
    return names;
}

// Cut in this order, so "x.log.plist" loses both and "x.plist.log" only ".log".
const std::array<QLatin1StringView, 6> kKnownExtensions{
    QLatin1StringView(".plist"),
    QLatin1StringView(".savedstate"),
    QLatin1StringView(".binarycookies"),
    QLatin1StringView(".log"),
    QLatin1StringView(".sqlite"),
    QLatin1StringView(".db"),
};

QString key(const QString& name)
{
    return name.trimmed().toLower();
}

QString stripKnownExtensions(QString lowerCasedName)
{
    for (QLatin1StringView extension : kKnownExtensions) {
        if (lowerCasedName.endsWith(extension))
            lowerCasedName.chop(extension.size());
    }
    return lowerCasedName;
}

// Lower-cased letters and digits only, as code points, so that lengths count characters.
std::u32string normalizeIdentifier(const QString& text)
{
    std::u32string normalized;
    for (char32_t character : text.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(character))
            normalized.push_back(character);
    }
    return normalized;
}

bool isProtectedTarget(const QString& appName, const QString& bundleID)
{
    return isProtectedSystemEntry(bundleID.isEmpty() ? appName : bundleID);
}

// How a Library entry belongs to an app.
enum class EntryMatch {
    none,
    byIdentifier,
    byNameOnly, // a weaker claim: another product of the same name may own it
};

// Decides for one app whether Library entries belong to it. What depends only on the app is
// worked out once, as a scan tests thousands of entries against the same app.
class EntryMatcher {
public:
    EntryMatcher(const QString& appName, const QString& bundleID)
        : m_name(normalizeIdentifier(appName))
    {
        const QString id = key(bundleID);
        if (id.isEmpty() || isProtectedSystemEntry(id))
            return;
        m_id = id;
        // An identifier of one component ("com", "org") names no maker: as a prefix or suffix it
        // would claim the data of every app under it.
        if (!id.contains(QLatin1Char('.')))
            return;
        m_idDot = id + QLatin1Char('.');
        m_dotID = QLatin1Char('.') + id;
        m_dotIDDot = m_dotID + QLatin1Char('.');
    }

    const QString& identifier() const { return m_id; }

    EntryMatch match(const QString& entryName) const
    {
        if (isProtectedSystemEntry(entryName))
            return EntryMatch::none;
        const QString entry = entryName.toLower();
        const QString stem = stripKnownExtensions(entry);
        if (matchesIdentifier(entry, stem))
            return EntryMatch::byIdentifier;
        return matchesName(stem) ? EntryMatch::byNameOnly : EntryMatch::none;
    }

    bool matchesIdentifier(const QString& entryName) const
    {
        const QString entry = entryName.toLower();
        return matchesIdentifier(entry, stripKnownExtensions(entry));
    }

private:
    bool matchesIdentifier(const QString& entry, const QString& stem) const
    {
        if (m_id.isEmpty())
            return false;
        if (entry == m_id || stem == m_id)
            return true;
        return !m_idDot.isEmpty()
            && (entry.startsWith(m_idDot) || stem.startsWith(m_idDot) || stem.endsWith(m_dotID)
                || entry.contains(m_dotIDDot));
    }

    // Short names would match too much: under four characters never, under five only whole.
    bool matchesName(const QString& stem) const
    {
        if (m_name.size() < 4)
            return false;
        if (normalizeIdentifier(stem) == m_name)
            return true;
        if (m_name.size() < 5)
            return false;
        const QList<QStringView> pieces = QStringView(stem).split(QLatin1Char('.'), Qt::SkipEmptyParts);
        return pieces.size() >= 2 && normalizeIdentifier(pieces.last().toString()) == m_name;
    }

    std::u32string m_name; // normalized app name
    QString m_id;          // empty when the identifier is missing or protected
    QString m_idDot;       // these three empty for an identifier of one component
    QString m_dotID;
    QString m_dotIDDot;
};

// The identifiers of the other installed apps that could claim entries of the app with `ownID`:
// not its own, and none that `ownID` extends ("com.maker.app" for "com.maker.app.pro"), whose
// entries the more specific identifier of the app may rightly match as well.
std::vector<EntryMatcher> otherAppMatchers(const QString& ownID, const QSet<QString>& installedBundleIDs)
{
    std::vector<EntryMatcher> matchers;
    for (const QString& installed : installedBundleIDs) {
        const QString id = key(installed);
        if (id.isEmpty() || id == ownID || ownID.startsWith(id + QLatin1Char('.')))
            continue;
        EntryMatcher matcher(QString(), id);
        if (!matcher.identifier().isEmpty())
            matchers.push_back(std::move(matcher));
    }
    return matchers;
}

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

QString lastPathComponent(const QString& path)
{
    return QFileInfo(QDir::cleanPath(path)).fileName();
}

QString withoutAppSuffix(const QString& appName)
{
    const QLatin1StringView suffix(".app");
    if (appName.endsWith(suffix, Qt::CaseInsensitive))
        return appName.chopped(suffix.size());
    return appName;
}

// The names of the folder's immediate children; none when it cannot be read.
QStringList childNames(const QString& folder)
{
    QStringList names;
    DIR* directory = ::opendir(QFile::encodeName(folder).constData());
    if (!directory)
        return names;
    while (const dirent* entry = ::readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(directory);
    return names;
}

bool existsWithoutFollowing(const QString& path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isAppBundleFolder(const QString& path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && QFileInfo(path).suffix().compare(QLatin1StringView("app"), Qt::CaseInsensitive) == 0;
}

bool isAtOrBelow(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

// A scanned folder: its path below the library root as given, where it leads with symbolic links
// resolved, and the category of what is found in it.
struct ScanFolder {
    QString path;
    QString resolved;
    LeftoverCategory category;
};

// What a scan for one app looks at: the app as the scan reads its name and identifier, and the
// scanned folders that exist and stay inside the home folder, so that a link there cannot expose
// another place. The move to the Trash asks the same of each item, so that it takes nothing a
// scan for that app could not have offered.
class LeftoverSearch {
public:
    LeftoverSearch(const QString& appName, const QString& bundleID, const QString& libraryRootURL,
        const QSet<QString>& otherInstalledBundleIDs = {})
        : m_name(withoutAppSuffix(appName).trimmed())
        , m_id(key(bundleID))
        , m_matcher(m_name, m_id)
        , m_otherApps(otherAppMatchers(m_id, otherInstalledBundleIDs))
    {
        // Apps of the system and this program itself are never scanned.
        if (isProtectedTarget(m_name, m_id))
            return;
        const QString home = QFileInfo(TrunePaths::homeDirectory()).canonicalFilePath();
        const QString libraryRoot = standardizedPath(libraryRootURL);
        for (const ScanLocation& location : scanLocations()) {
            const QString path = libraryRoot + u'/' + location.relativePath;
            const QString resolved = QFileInfo(path).canonicalFilePath();
            if (!home.isEmpty() && !resolved.isEmpty() && isAtOrBelow(resolved, home))
                m_folders.push_back({path, resolved, location.category});
        }
    }

    const std::vector<ScanFolder>& folders() const { return m_folders; }

    bool offers(const QString& entryName) const { return match(entryName) != EntryMatch::none; }

    // How the scan finds the entry: not at all when it is hidden, is not the app's, or belongs to
    // another installed app by that app's identifier.
    EntryMatch foundMatch(const QString& entryName) const
    {
        const EntryMatch found = match(entryName);
        if (found == EntryMatch::none)
            return found;
        const bool claimedByAnother = std::ranges::any_of(
            m_otherApps, [&](const EntryMatcher& other) { return other.matchesIdentifier(entryName); });
        return claimedByAnother ? EntryMatch::none : found;
    }

    // Where to move an item from: its own name in the resolved scanned folder that the scan would
    // have found it in, when the scan would have offered it. The item itself is not resolved, so a
    // link is moved as a link.
    std::optional<QString> movablePath(const QString& itemPath) const
    {
        if (!QDir::isAbsolutePath(itemPath))
            return std::nullopt;
        const QFileInfo item(QDir::cleanPath(itemPath));
        if (!offers(item.fileName()))
            return std::nullopt;
        const auto folder = std::ranges::find(m_folders, item.path(), &ScanFolder::path);
        if (folder == m_folders.end())
            return std::nullopt;
        return folder->resolved + u'/' + item.fileName();
    }

private:
    EntryMatch match(const QString& entryName) const
    {
        return entryName.startsWith(u'.') ? EntryMatch::none : m_matcher.match(entryName);
    }

    QString m_name;
    QString m_id;
    EntryMatcher m_matcher;
    std::vector<EntryMatcher> m_otherApps;
    std::vector<ScanFolder> m_folders;
};

qint64 saturatingSum(qint64 total, qint64 size)
{
    if (size > 0 && total > std::numeric_limits<qint64>::max() - size)
        return std::numeric_limits<qint64>::max();
    if (size < 0 && total < std::numeric_limits<qint64>::min() - size)
        return std::numeric_limits<qint64>::min();
    return total + size;
}

QString failureText(const TruneTrashError& error, TruneLanguage language)
{
    if (error.kind == TruneTrashError::Kind::alreadyInTrash)
        return alreadyInTrashText(language);
    return error.description();
}

// Moves `from` and records the outcome under `reportedPath`.
void trashInto(
    TrashRemovalReport& report, const QString& reportedPath, const QString& from, qint64 size, TruneLanguage language)
{
    const auto moved = TruneTrash::trashItem(from);
    if (!moved) {
        report.failedPaths.insert(reportedPath, failureText(moved.error(), language));
        return;
    }
    report.trashedPaths.append(reportedPath);
    report.reclaimedBytes = saturatingSum(report.reclaimedBytes, size);
}

void trashSelectedItems(TrashRemovalReport& report, const std::vector<LeftoverFileItem>& items,
    const LeftoverSearch& search, TruneLanguage language)
{
    for (const LeftoverFileItem& item : items) {
        if (!item.isSelected)
            continue;
        if (isProtectedSystemEntry(lastPathComponent(item.path))) {
            report.failedPaths.insert(item.path, kProtectedMessage);
            continue;
        }
        if (!existsWithoutFollowing(standardizedPath(item.path)))
            continue;
        const std::optional<QString> from = search.movablePath(item.path);
        if (!from) {
            report.failedPaths.insert(item.path, notOfferedByScanText(language));
            continue;
        }
        trashInto(report, item.path, *from, item.sizeBytes, language);
    }
}

void trashAppBundle(TrashRemovalReport& report, const QString& bundlePath, TruneLanguage language)
{
    const QString path = standardizedPath(bundlePath);
    if (!existsWithoutFollowing(path))
        return;
    if (!isAppBundleFolder(path)) {
        report.failedPaths.insert(bundlePath, notABundleText(language));
        return;
    }
    trashInto(report, bundlePath, path, FastDirectorySizeReader::allocatedSize(path, true), language);
}

} // namespace

QString defaultLibraryRootURL()
{
    return TrunePaths::homeDirectory() + QStringLiteral("/Library");
}

const std::vector<ScanLocation>& scanLocations()
{
    static const std::vector<ScanLocation> locations{
        {QStringLiteral("Application Support"), LeftoverCategory::appSupport},
        {QStringLiteral("Caches"), LeftoverCategory::caches},
        {QStringLiteral("Preferences"), LeftoverCategory::preferences},
        {QStringLiteral("Containers"), LeftoverCategory::containers},
        {QStringLiteral("Group Containers"), LeftoverCategory::containers},
        {QStringLiteral("Logs"), LeftoverCategory::logs},
        {QStringLiteral("Saved Application State"), LeftoverCategory::savedState},
        {QStringLiteral("HTTPStorages"), LeftoverCategory::caches},
        {QStringLiteral("WebKit"), LeftoverCategory::caches},
        {QStringLiteral("LaunchAgents"), LeftoverCategory::launchAgents},
    };
    return locations;
}

bool isProtectedSystemEntry(const QString& name)
{
    const QString k = key(name);
    if (k.isEmpty() || protectedExactNames().contains(k))
        return true;
    return std::ranges::any_of(protectedSystemPrefixes(),
        [&](const ProtectedPrefix& prefix) { return k.startsWith(prefix.prefix) || k.contains(prefix.dotted); });
}

bool matchesEntry(const QString& entryName, const QString& appName, const QString& bundleID)
{
    return EntryMatcher(appName, bundleID).match(entryName) != EntryMatch::none;
}

std::vector<LeftoverFileItem> scanLeftovers(const QString& appName, const QString& bundleID,
    const QString& libraryRootURL, const QLocale& locale, const QSet<QString>& otherInstalledBundleIDs)
{
    const LeftoverSearch search(appName, bundleID, libraryRootURL, otherInstalledBundleIDs);
    std::vector<LeftoverFileItem> items;
    QSet<QString> seenPaths;
    for (const ScanFolder& folder : search.folders()) {
        for (const QString& child : childNames(folder.resolved)) {
            const EntryMatch found = search.foundMatch(child);
            if (found == EntryMatch::none)
                continue;
            const QString path = folder.path + u'/' + child;
            if (seenPaths.contains(path))
                continue;
            seenPaths.insert(path);
            // Found by the name alone, it may be another product's: the user ticks it if it is theirs.
            items.emplace_back(std::nullopt, path, folder.category, FastDirectorySizeReader::allocatedSize(path, true),
                found == EntryMatch::byIdentifier);
        }
    }

    const LocalizedNameComparison paths(locale);
    truneStableSort(items, [&](const LeftoverFileItem& left, const LeftoverFileItem& right) {
        if (left.sizeBytes != right.sizeBytes)
            return left.sizeBytes > right.sizeBytes;
        return paths.compare(left.path, right.path) < 0;
    });
    return items;
}

TrashRemovalReport moveToTrash(const std::vector<LeftoverFileItem>& items, const QString& appName,
    const QString& bundleID, const std::optional<QString>& appBundlePath, bool includeAppBundle,
    const QString& libraryRootURL, TruneLanguage language)
{
    TrashRemovalReport report;
    trashSelectedItems(report, items, LeftoverSearch(appName, bundleID, libraryRootURL), language);
    if (includeAppBundle && appBundlePath && !appBundlePath->isEmpty())
        trashAppBundle(report, *appBundlePath, language);
    return report;
}

bool fileExistsAtPath(const QString& path)
{
    return QFileInfo::exists(path);
}

std::vector<TrashLeftoverAlert> pruneStaleTrashAlerts(const std::vector<TrashLeftoverAlert>& alerts,
    const std::vector<InstalledAppRecord>& installedApps, const std::function<bool(const QString&)>& fileExists)
{
    if (alerts.empty())
        return alerts;
    QSet<QString> installedIDs;
    QSet<QString> installedNames;
    for (const InstalledAppRecord& app : installedApps) {
        if (const QString id = key(app.bundleID); !id.isEmpty())
            installedIDs.insert(id);
        installedNames.insert(lastPathComponent(app.path).toLower());
    }
    std::vector<TrashLeftoverAlert> kept;
    for (const TrashLeftoverAlert& alert : alerts) {
        const QString id = key(alert.bundleID());
        if (fileExists(alert.trashedAppPath()) && (id.isEmpty() || !installedIDs.contains(id))
            && !installedNames.contains(lastPathComponent(alert.trashedAppPath()).toLower()))
            kept.push_back(alert);
    }
    return kept;
}

} // namespace AppLeftoverScanner
