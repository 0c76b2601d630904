#include "core/inventory/InstalledAppScanner.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TextsOf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using namespace BundleMaker;
using InstalledAppScanner::inspectAppBundle;
using InstalledAppScanner::scanInstalledApps;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

QVariantMap info(std::initializer_list<std::pair<QString, QVariant>> entries)
{
    QVariantMap map;
    for (const auto& [key, value] : entries)
        map.insert(key, value);
    return map;
}

QStringList pathsOf(const std::vector<InstalledAppRecord>& records)
{
    return textsOf(records, &InstalledAppRecord::path);
}

QStringList namesOf(const std::vector<InstalledAppRecord>& records)
{
    return textsOf(records, &InstalledAppRecord::name);
}

class InstalledAppScannerTest : public ::testing::Test {
protected:
    QString applications() const { return m_home.filePath(QStringLiteral("Applications")); }
    QString app(const QString& relative) const { return applications() + QLatin1Char('/') + relative; }
    std::vector<InstalledAppRecord> scan(
        const QStringList& folders, int maxConcurrency = 8, const QLocale& locale = kEnglish) const
    {
        return scanInstalledApps(folders, false, maxConcurrency, locale);
    }

    TempHome m_home;
};

TEST_F(InstalledAppScannerTest, DefaultFoldersAreTheSystemAndTheUserApplicationsFolders)
{
    EXPECT_EQ(InstalledAppScanner::defaultSearchDirectories(),
        QStringList({QStringLiteral("/Applications"), applications()}));
}

TEST_F(InstalledAppScannerTest, BundlesAreFoundAtTheTopLevelAndOneFolderDown)
{
    makeAppBundle(app(QStringLiteral("Editor.app")));
    makeAppBundle(app(QStringLiteral("Shouting.APP")));
    writeFile(app(QStringLiteral("Plain.app")), QByteArrayLiteral("not a folder"));
    writeFile(app(QStringLiteral("notes.txt")), QByteArrayLiteral("notes"));
    makeAppBundle(app(QStringLiteral("Utilities/Tool.app")));
    makeAppBundle(app(QStringLiteral("Utilities/Deeper/TooDeep.app")));
    makeAppBundle(app(QStringLiteral(".Hidden.app")));
    makeAppBundle(app(QStringLiteral("Utilities/.Secret.app")));
    makeAppBundle(app(QStringLiteral(".Folder/Inner.app")));
    makeAppBundle(m_home.filePath(QStringLiteral("Elsewhere/Real.app")));
    makeAppBundle(m_home.filePath(QStringLiteral("Elsewhere/Other.app")));
    makeSymlink(m_home.filePath(QStringLiteral("Elsewhere")), app(QStringLiteral("LinkedFolder")));
    makeSymlink(m_home.filePath(QStringLiteral("Elsewhere/Real.app")), app(QStringLiteral("Link.app")));
    makeSymlink(m_home.filePath(QStringLiteral("Nowhere.app")), app(QStringLiteral("Broken.app")));
    makeFifo(app(QStringLiteral("Pipe.app")));

    QStringList found = pathsOf(scan({applications()}));
    found.sort();
    EXPECT_EQ(found,
        QStringList({app(QStringLiteral("Editor.app")), app(QStringLiteral("Link.app")),
            app(QStringLiteral("Shouting.APP")), app(QStringLiteral("Utilities/Tool.app"))}));
}

TEST_F(InstalledAppScannerTest, FoldersWithoutBundlesGiveNothing)
{
    makeFolder(m_home.filePath(QStringLiteral("Empty")));
    makeFolder(m_home.filePath(QStringLiteral("Documents/Reports")));
    writeFile(m_home.filePath(QStringLiteral("file")), QByteArrayLiteral("x"));
    const QStringList cases[] = {
        {},
        {m_home.filePath(QStringLiteral("Missing"))},
        {m_home.filePath(QStringLiteral("Empty"))},
        {m_home.filePath(QStringLiteral("Documents"))},
        {m_home.filePath(QStringLiteral("file"))},
    };
    for (const QStringList& folders : cases) {
        SCOPED_TRACE(folders.join(QLatin1Char(',')).toStdString());
        EXPECT_TRUE(scan(folders).empty());
    }
}

TEST_F(InstalledAppScannerTest, BundleReachedTwiceIsListedOnce)
{
    makeAppBundle(app(QStringLiteral("Editor.app")));
    makeAppBundle(app(QStringLiteral("Utilities/Tool.app")));
    const QStringList folderLists[] = {
        {applications(), applications()},
        {applications(), applications() + QStringLiteral("/../Applications/")},
        {applications(), app(QStringLiteral("Utilities")), applications() + QStringLiteral("/./")},
    };
    for (const QStringList& folders : folderLists) {
        SCOPED_TRACE(folders.join(QLatin1Char(',')).toStdString());
        EXPECT_EQ(pathsOf(scan(folders)),
            QStringList({app(QStringLiteral("Editor.app")), app(QStringLiteral("Utilities/Tool.app"))}));
    }
}

struct FieldCase {
    const char* label;
    QString bundleName;
    std::optional<QVariantMap> info;
    bool receipt = false;
    QString name{};
    QString bundleID{};
    QString installedVersion{};
    QString buildVersion{};
    std::optional<QString> sparkleFeedURL{};
    AppOriginKind origin = AppOriginKind::direct;
};

TEST_F(InstalledAppScannerTest, InfoValuesCountOnlyAsNonBlankText)
{
    const QString feed = QStringLiteral("https://example.com/appcast.xml");
    const FieldCase cases[] = {
        {"display name preferred and trimmed", QStringLiteral("A.app"),
            info({{QStringLiteral("CFBundleDisplayName"), QStringLiteral(" Editor Pro\n")},
                {QStringLiteral("CFBundleName"), QStringLiteral("Editor")}}),
            false, QStringLiteral("Editor Pro")},
        {"blank display name falls through to the name", QStringLiteral("B.app"),
            info({{QStringLiteral("CFBundleDisplayName"), QStringLiteral(" \t\n")},
                {QStringLiteral("CFBundleName"), QStringLiteral("Editor")}}),
            false, QStringLiteral("Editor")},
        {"names that are not text give the file name", QStringLiteral("My.Tool.app"),
            info({{QStringLiteral("CFBundleDisplayName"), 42},
                {QStringLiteral("CFBundleName"), QVariantList{QStringLiteral("x")}}}),
            false, QStringLiteral("My.Tool")},
        {"no names give the file name untrimmed", QStringLiteral(" Spaced .app"), info({}), false,
            QStringLiteral(" Spaced ")},
        {"identifier and both versions", QStringLiteral("C.app"),
            info({{QStringLiteral("CFBundleIdentifier"), QStringLiteral(" com.example.editor ")},
                {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("2.1")},
                {QStringLiteral("CFBundleVersion"), QStringLiteral("412")}}),
            false, QStringLiteral("C"), QStringLiteral("com.example.editor"), QStringLiteral("2.1"),
            QStringLiteral("412")},
        {"build version stands in for a missing short version", QStringLiteral("D.app"),
            info({{QStringLiteral("CFBundleVersion"), QStringLiteral("1234")}}), false, QStringLiteral("D"), QString(),
            QStringLiteral("1234"), QStringLiteral("1234")},
        {"build version stands in for a blank short version", QStringLiteral("E.app"),
            info({{QStringLiteral("CFBundleShortVersionString"), QStringLiteral("  ")},
                {QStringLiteral("CFBundleVersion"), QStringLiteral("7")}}),
            false, QStringLiteral("E"), QString(), QStringLiteral("7"), QStringLiteral("7")},
        {"numeric version counts as absent", QStringLiteral("F.app"),
            info({{QStringLiteral("CFBundleShortVersionString"), 3}, {QStringLiteral("CFBundleVersion"), 3}}), false,
            QStringLiteral("F")},
        {"own identifier wins over receipt and feed", QStringLiteral("G.app"),
            info({{QStringLiteral("CFBundleIdentifier"), QStringLiteral("COM.QUORVANE.Tool")},
                {QStringLiteral("SUFeedURL"), feed}}),
            true, QStringLiteral("G"), QStringLiteral("COM.QUORVANE.Tool"), QString(), QString(), feed,
            AppOriginKind::quorvane},
        {"identifier that only looks like ours", QStringLiteral("H.app"),
            info({{QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.quorvaneapps.tool")}}), false,
            QStringLiteral("H"), QStringLiteral("com.quorvaneapps.tool")},
        {"receipt wins over feed", QStringLiteral("I.app"), info({{QStringLiteral("SUFeedURL"), feed}}), true,
            QStringLiteral("I"), QString(), QString(), QString(), feed, AppOriginKind::appStore},
        {"feed makes it sparkle", QStringLiteral("J.app"),
            info({{QStringLiteral("SUFeedURL"), QStringLiteral(" ") + feed}}), false, QStringLiteral("J"), QString(),
            QString(), QString(), feed, AppOriginKind::sparkle},
        {"blank feed is no feed", QStringLiteral("K.app"), info({{QStringLiteral("SUFeedURL"), QStringLiteral("\n")}}),
            false, QStringLiteral("K")},
        {"no Info.plist with a receipt", QStringLiteral("L.app"), std::nullopt, true, QStringLiteral("L"), QString(),
            QString(), QString(), std::nullopt, AppOriginKind::appStore},
        {"no Info.plist", QStringLiteral("M.app"), std::nullopt, false, QStringLiteral("M")},
    };
    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        for (const FieldCase& row : cases) {
            SCOPED_TRACE(std::string(row.label) + (format == PlistFormat::xml ? " (XML)" : " (binary)"));
            const QString folder = format == PlistFormat::xml ? QStringLiteral("xml/") : QStringLiteral("binary/");
            const QString bundle = makeAppBundle(app(folder + row.bundleName),
                {.info = row.info, .plistFormat = format, .appStoreReceipt = row.receipt});
            const std::optional<InstalledAppRecord> record = inspectAppBundle(bundle, false);
            ASSERT_TRUE(record.has_value());
            EXPECT_EQ(record->name, row.name);
            EXPECT_EQ(record->bundleID, row.bundleID);
            EXPECT_EQ(record->installedVersion, row.installedVersion);
            EXPECT_EQ(record->buildVersion, row.buildVersion);
            EXPECT_EQ(record->sparkleFeedURL, row.sparkleFeedURL);
            EXPECT_EQ(rawValue(record->origin), rawValue(row.origin));
            EXPECT_EQ(record->path, bundle);
            EXPECT_EQ(record->id(), row.bundleID.isEmpty() ? bundle : row.bundleID + QStringLiteral("::") + bundle);
            EXPECT_EQ(record->sizeBytes, 0);
            EXPECT_FALSE(record->latestVersion || record->updateAvailable || record->releaseNotesURL
                || record->downloadURL || record->homebrewCaskToken || record->lastCheckedAt);
        }
    }
}

TEST_F(InstalledAppScannerTest, RecordCarriesArchitectureAndModificationDate)
{
    const QString bundle = makeAppBundle(app(QStringLiteral("Editor.app")),
        {.executableName = QStringLiteral("Editor"), .executable = fatMachO({kCpuTypeX86_64, kCpuTypeArm64})});
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    const timespec times[2] = {{modified.toSecsSinceEpoch(), 0}, {modified.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(bundle).constData(), times, 0), 0);

    const std::optional<InstalledAppRecord> record = inspectAppBundle(bundle, false);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(rawValue(record->architecture), rawValue(AppArchitecture::universal));
    EXPECT_EQ(record->modifiedAt, modified);
}

TEST_F(InstalledAppScannerTest, OnlyFoldersNamedAppAreInspected)
{
    const QString bundle = makeAppBundle(app(QStringLiteral("Editor.app")));
    makeAppBundle(app(QStringLiteral("Folder")));
    writeFile(app(QStringLiteral("Plain.app")), QByteArrayLiteral("x"));
    makeSymlink(bundle, app(QStringLiteral("Link.app")));
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(applications());

    const struct {
        QString given;
        std::optional<QString> path;
    } cases[] = {
        {bundle, bundle},
        {applications() + QStringLiteral("/./Folder/../Editor.app/"), bundle},
        {QStringLiteral("Editor.app"), bundle},
        {app(QStringLiteral("Link.app")), app(QStringLiteral("Link.app"))},
        {app(QStringLiteral("Folder")), std::nullopt},
        {app(QStringLiteral("Plain.app")), std::nullopt},
        {app(QStringLiteral("Missing.app")), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.given.toStdString());
        const std::optional<InstalledAppRecord> record = inspectAppBundle(row.given, false);
        EXPECT_EQ(record.has_value(), row.path.has_value());
        if (record && row.path) {
            EXPECT_EQ(record->path, *row.path);
        }
    }
    QDir::setCurrent(previousFolder);
}

// A broken or hostile bundle must not hang or end the scan; it is listed with the fallbacks.
TEST_F(InstalledAppScannerTest, BrokenBundlesAreListedWithFallbacks)
{
    const QVariantMap named = info({{QStringLiteral("CFBundleName"), QStringLiteral("Named")},
        {QStringLiteral("CFBundleExecutable"), QStringLiteral("Tool")}});
    makeFifo(makeAppBundle(app(QStringLiteral("FifoInfo.app")), {.info = std::nullopt})
        + QStringLiteral("/Contents/Info.plist"));
    makeSymlink(QStringLiteral("/dev/zero"),
        makeAppBundle(app(QStringLiteral("ZeroInfo.app")), {.info = std::nullopt})
            + QStringLiteral("/Contents/Info.plist"));
    makeFifo(
        makeAppBundle(app(QStringLiteral("FifoTool.app")), {.info = named}) + QStringLiteral("/Contents/MacOS/Tool"));
    makeSymlink(QStringLiteral("/dev/zero"),
        makeAppBundle(app(QStringLiteral("ZeroTool.app")), {.info = named}) + QStringLiteral("/Contents/MacOS/Tool"));
    writeFile(makeAppBundle(app(QStringLiteral("Garbage.app")), {.info = std::nullopt})
            + QStringLiteral("/Contents/Info.plist"),
        QByteArrayLiteral("<?xml version=\"1.0\"?><plist><dict><key>CFBundleName"));
    writeFile(makeAppBundle(app(QStringLiteral("ArrayInfo.app")), {.info = std::nullopt})
            + QStringLiteral("/Contents/Info.plist"),
        propertyList(QVariantList{QStringLiteral("CFBundleName"), QStringLiteral("Named")}));
    // Larger than any real Info.plist may be: left unread.
    QVariantMap oversized = named;
    oversized.insert(QStringLiteral("Padding"), QString(8 * 1024 * 1024, QLatin1Char('x')));
    makeAppBundle(app(QStringLiteral("Oversized.app")), {.info = oversized, .executableName = QStringLiteral("Tool")});

    const std::vector<InstalledAppRecord> records = scan({applications()});
    EXPECT_EQ(namesOf(records),
        QStringList({QStringLiteral("ArrayInfo"), QStringLiteral("FifoInfo"), QStringLiteral("Garbage"),
            QStringLiteral("Named"), QStringLiteral("Named"), QStringLiteral("Oversized"),
            QStringLiteral("ZeroInfo")}));
    for (const InstalledAppRecord& record : records) {
        SCOPED_TRACE(record.path.toStdString());
        const bool hasExecutable = record.path.endsWith(QLatin1String("Oversized.app"));
        EXPECT_EQ(rawValue(record.architecture),
            rawValue(hasExecutable ? AppArchitecture::appleSilicon : AppArchitecture::unknown));
        EXPECT_EQ(rawValue(record.origin), rawValue(AppOriginKind::direct));
        EXPECT_TRUE(record.bundleID.isEmpty() && record.installedVersion.isEmpty() && record.buildVersion.isEmpty());
    }
}

TEST_F(InstalledAppScannerTest, SizeIsMeasuredThroughTheCacheOnlyWhenAsked)
{
    const QString bundle
        = makeAppBundle(app(QStringLiteral("Editor.app")), {.executableName = QStringLiteral("Editor")});
    writeFile(bundle + QStringLiteral("/Contents/Resources/data"), QByteArray(100'000, 'x'));
    FastDirectorySizeReader::invalidateCache(bundle);

    EXPECT_EQ(inspectAppBundle(bundle, false)->sizeBytes, 0);
    EXPECT_FALSE(FastDirectorySizeReader::cachedSize(bundle).has_value());

    const qint64 measured = FastDirectorySizeReader::allocatedSize(bundle, false);
    EXPECT_GE(measured, 100'000);
    EXPECT_EQ(inspectAppBundle(bundle, true)->sizeBytes, measured);
    EXPECT_EQ(FastDirectorySizeReader::cachedSize(bundle), measured);
    EXPECT_EQ(InstalledAppScanner::directorySize(bundle), measured);

    const std::vector<InstalledAppRecord> withSizes = scanInstalledApps({applications()}, true, 8, kEnglish);
    ASSERT_EQ(withSizes.size(), 1u);
    EXPECT_EQ(withSizes.front().sizeBytes, measured);
    EXPECT_EQ(scan({applications()}).front().sizeBytes, 0);
}

// Holds every inspection until as many are running as the scan may run at once (or none is left
// to start), so the highest count seen is the scan's real bound.
class InspectionGate final {
public:
    InspectionGate(int expectedInFlight, int total)
        : m_expectedInFlight(expectedInFlight)
        , m_total(total)
    {
    }

    InstalledAppScanner::InspectionObserver observer()
    {
        return {
            [this](const QString& bundle) {
                std::unique_lock lock(m_mutex);
                m_startOrder.append(bundle);
                m_highest = std::max(m_highest, ++m_inFlight);
                m_changed.notify_all();
                m_changed.wait_for(lock, std::chrono::seconds(5),
                    [this] { return m_inFlight >= m_expectedInFlight || m_startOrder.size() == m_total; });
            },
            [this](const QString&) {
                std::lock_guard lock(m_mutex);
                --m_inFlight;
            },
        };
    }

    int highest() const { return m_highest; }
    const QStringList& startOrder() const { return m_startOrder; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const int m_expectedInFlight;
    const int m_total;
    int m_inFlight = 0;
    int m_highest = 0;
    QStringList m_startOrder;
};

TEST_F(InstalledAppScannerTest, InspectionsRunAtMostMaxConcurrencyAtOnceInDiscoveryOrder)
{
    constexpr int kBundles = 12;
    QStringList discovered;
    for (int index = 0; index < kBundles; ++index)
        discovered.append(makeAppBundle(app(QStringLiteral("App%1.app").arg(index, 2, 10, QLatin1Char('0')))));

    const struct {
        int maxConcurrency;
        int bound;
    } cases[] = {{-3, 1}, {0, 1}, {1, 1}, {3, 3}, {8, 8}, {50, kBundles}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.maxConcurrency);
        InspectionGate gate(row.bound, kBundles);
        const std::vector<InstalledAppRecord> records
            = scanInstalledApps({applications()}, false, row.maxConcurrency, kEnglish, gate.observer());
        EXPECT_EQ(records.size(), static_cast<std::size_t>(kBundles));
        EXPECT_EQ(gate.highest(), row.bound);
        if (row.bound == 1) {
            EXPECT_EQ(gate.startOrder(), discovered);
        } else {
            EXPECT_EQ(gate.startOrder().size(), kBundles);
        }
    }
}

TEST_F(InstalledAppScannerTest, EachRecordIsHandedOnAsSoonAsItIsRead)
{
    makeAppBundle(app(QStringLiteral("First.app")));
    makeAppBundle(app(QStringLiteral("Second.app")));
    writeFile(app(QStringLiteral("Broken.app")), "a file, not a bundle");
    std::mutex mutex;
    QStringList events;
    const auto note = [&](const QString& event, const QString& path) {
        const std::lock_guard lock(mutex);
        events.append(event + QFileInfo(path).fileName());
    };
    const InstalledAppScanner::InspectionObserver observer{
        .started = [&](const QString& bundle) { note(QStringLiteral("start "), bundle); },
        .inspected = [&](const InstalledAppRecord& record) { note(QStringLiteral("read "), record.path); }};

    EXPECT_EQ(scanInstalledApps({applications()}, false, 1, kEnglish, observer).size(), 2u);
    // One at a time: every bundle read is handed on before the next inspection starts, and what
    // is no bundle is never handed on.
    events.removeAll(QStringLiteral("start Broken.app"));
    ASSERT_EQ(events.size(), 4);
    for (qsizetype index = 0; index < events.size(); index += 2) {
        SCOPED_TRACE(events[index].toStdString());
        EXPECT_TRUE(events[index].startsWith(QStringLiteral("start ")));
        EXPECT_EQ(events[index + 1], QStringLiteral("read ") + events[index].mid(6));
    }
}

TEST_F(InstalledAppScannerTest, RecordsAreSortedByNameIgnoringCaseUnderTheGivenLocale)
{
    const struct {
        const char* file;
        const char* name;
    } bundles[] = {{"a.app", "Zebra"}, {"b.app", "beta"}, {"c.app", "Öl"}, {"d.app", "alpha"}, {"e.app", "Alpha"},
        {"f.app", "Oz"}};
    for (const auto& bundle : bundles)
        makeAppBundle(app(QLatin1String(bundle.file)),
            {.info = info({{QStringLiteral("CFBundleName"), QString::fromUtf8(bundle.name)}})});

    const struct {
        QLocale locale;
        QStringList order;
    } cases[] = {
        {kEnglish,
            {QStringLiteral("alpha"), QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Öl"),
                QStringLiteral("Oz"), QStringLiteral("Zebra")}},
        {QLocale(QLocale::Swedish, QLocale::Sweden),
            {QStringLiteral("alpha"), QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Oz"),
                QStringLiteral("Zebra"), QStringLiteral("Öl")}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.locale.name().toStdString());
        for (const int maxConcurrency : {1, 8})
            EXPECT_EQ(namesOf(scan({applications()}, maxConcurrency, row.locale)), row.order);
    }
}

} // namespace
