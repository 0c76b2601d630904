#include "core/leftovers/AppLeftoverScanner.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TextsOf.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using namespace BundleMaker;
using AppLeftoverScanner::isProtectedSystemEntry;
using AppLeftoverScanner::matchesEntry;
using AppLeftoverScanner::moveToTrash;
using AppLeftoverScanner::scanLeftovers;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QString kOutsideLibrary
    = QStringLiteral("Only items found in the Library folders searched for leftovers can be moved to the Trash.");
const QString kNotABundle
    = QStringLiteral("Only an application bundle (a folder whose name ends in .app) can be moved to the Trash.");
const QString kProtected = QStringLiteral("Protected system file cannot be removed.");

bool existsWithoutFollowing(const QString& path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList pathsOf(const std::vector<LeftoverFileItem>& items)
{
    return textsOf(items, &LeftoverFileItem::path);
}

LeftoverFileItem selected(const QString& path, qint64 size = 0)
{
    return LeftoverFileItem(std::nullopt, path, LeftoverCategory::caches, size, true);
}

TEST(AppLeftoverScannerMatching, ProtectedNames)
{
    struct Row {
        QString name;
        bool isProtected;
    };
    const std::vector<Row> rows{
        {QString(), true},
        {QStringLiteral(" \n"), true},
        {QStringLiteral("Safari"), true},
        {QStringLiteral("  GROUP CONTAINERS\n"), true},
        {QStringLiteral("com.apple.dock.plist"), true},
        {QStringLiteral("group.com.apple.notes"), true},
        {QStringLiteral("ABCDE12345.com.apple.x"), true},
        {QStringLiteral(".GlobalPreferences.plist"), true},
        {QStringLiteral("loginwindow.plist"), true},
        {QStringLiteral("pbs"), true},
        {QStringLiteral("pbsomething"), true},
        {QStringLiteral("x.pbs.plist"), true},
        {QStringLiteral("system.log"), true},
        {QStringLiteral("com.quorvane.truneupdate"), true},
        {QStringLiteral("com.quorvane.TruneUpdate.helper.plist"), true},
        {QStringLiteral("com.example.foo"), false},
        {QStringLiteral("applesauce"), false},
        {QStringLiteral("Safari Tools"), false},
        {QStringLiteral("com.quorvane.other"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        EXPECT_EQ(isProtectedSystemEntry(row.name), row.isProtected);
    }
}

TEST(AppLeftoverScannerMatching, EntriesBelongToAnAppByIdentifierOrByName)
{
    struct Row {
        QString entry;
        QString appName;
        QString bundleID;
        bool matches;
    };
    const QString foo = QStringLiteral("com.example.foo");
    const std::vector<Row> rows{
        // By identifier.
        {QStringLiteral("com.example.foo"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("com.example.foo.plist"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("COM.Example.Foo.plist"), QStringLiteral("Foo"), QStringLiteral("  com.example.FOO\n"), true},
        {QStringLiteral("com.example.foo.agent"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("ABCDE12345.com.example.foo"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("group.com.example.foo"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("x.com.example.foo.y"), QStringLiteral("Foo"), foo, true},
        {QStringLiteral("com.example.foobar"), QStringLiteral("Foo"), foo, false},
        {QStringLiteral("com.example.fo"), QStringLiteral("Foo"), foo, false},
        // An identifier of one component names no maker: it matches only an entry of that name.
        {QStringLiteral("com"), QStringLiteral("Xq"), QStringLiteral("com"), true},
        {QStringLiteral("com.plist"), QStringLiteral("Xq"), QStringLiteral("com"), true},
        {QStringLiteral("com.example.foo"), QStringLiteral("Xq"), QStringLiteral("com"), false},
        {QStringLiteral("org.mozilla.firefox.plist"), QStringLiteral("Xq"), QStringLiteral("ORG"), false},
        {QStringLiteral("example.net"), QStringLiteral("Xq"), QStringLiteral("net"), false},
        {QStringLiteral("x.net.y"), QStringLiteral("Xq"), QStringLiteral("net"), false},
        // A name of three characters never matches by name.
        {QStringLiteral("Foo"), QStringLiteral("Foo"), QString(), false},
        // Four characters: the whole stem only.
        {QStringLiteral("Fooo"), QStringLiteral("Fooo"), QString(), true},
        {QStringLiteral("fooo.plist"), QStringLiteral("Fooo"), QString(), true},
        {QStringLiteral("com.example.fooo"), QStringLiteral("Fooo"), QString(), false},
        // Five and more: the whole stem or its last piece.
        {QStringLiteral("Foo Bar"), QStringLiteral("FooBar"), QString(), true},
        {QStringLiteral("foo-bar.savedState"), QStringLiteral("FooBar"), QString(), true},
        {QStringLiteral("com.example.foobar"), QStringLiteral("FooBar"), QString(), true},
        {QStringLiteral("foobar.agent"), QStringLiteral("FooBar"), QString(), false},
        {QStringLiteral("Ünïcødé Tools"), QStringLiteral("ünïcødé-tools"), QString(), true},
        // Known extensions come off in table order only.
        {QStringLiteral("widget.log.plist"), QStringLiteral("Widget"), QString(), true},
        {QStringLiteral("widget.plist.log"), QStringLiteral("Widget"), QString(), false},
        {QStringLiteral("Widget.sqlite"), QStringLiteral("Widget"), QString(), true},
        // A protected identifier is not used, but the name still is.
        {QStringLiteral("com.apple.widget"), QStringLiteral("Nothing"), QStringLiteral("com.apple.widget"), false},
        {QStringLiteral("Widget"), QStringLiteral("Widget"), QStringLiteral("com.apple.widget"), true},
        // Protected entries never match, whatever the app.
        {QStringLiteral(".GlobalPreferences.plist"), QStringLiteral("GlobalPreferences"), QString(), false},
        {QStringLiteral("com.apple.Safari.plist"), QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), false},
        {QStringLiteral("loginwindow.plist"), QStringLiteral("loginwindow"), QString(), false},
        {QStringLiteral("Containers"), QStringLiteral("Containers"), QString(), false},
        {QStringLiteral("pbs"), QStringLiteral("pbs"), QStringLiteral("pbs"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(
            (row.entry + QStringLiteral(" | ") + row.appName + QStringLiteral(" | ") + row.bundleID).toStdString());
        EXPECT_EQ(matchesEntry(row.entry, row.appName, row.bundleID), row.matches);
    }
}

// A Library in a temporary home with the leftovers of "Foo Bar" (com.example.foobar) in every
// scanned folder, beside entries that must never be offered.
class AppLeftoverScannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FastDirectorySizeReader::clearCache();
        writeFile(library(QStringLiteral("Application Support/Foo Bar/data/store.bin")), QByteArray(20000, 'a'));
        writeFile(library(QStringLiteral("Application Support/Foo Bar/settings.json")), QByteArray(100, 'b'));
        writeFile(library(QStringLiteral("Caches/com.example.foobar/Cache.db")), QByteArray(9000, 'c'));
        writeFile(library(QStringLiteral("Preferences/com.example.foobar.plist")), QByteArray(10, 'p'));
        makeFolder(library(QStringLiteral("Containers/com.example.foobar/Data")));
        writeFile(
            library(QStringLiteral("Group Containers/ABCDE12345.com.example.foobar/shared")), QByteArray(5000, 'g'));
        writeFile(library(QStringLiteral("Logs/a.foobar.log")), QByteArray(10, 'l'));
        writeFile(library(QStringLiteral("Logs/B.foobar.log")), QByteArray(10, 'l'));
        writeFile(library(QStringLiteral("Saved Application State/com.example.foobar.savedState/window")),
            QByteArray(10, 's'));
        writeFile(library(QStringLiteral("HTTPStorages/com.example.foobar.binarycookies")), QByteArray(10, 'h'));
        makeFolder(library(QStringLiteral("WebKit/com.example.foobar")));
        writeFile(library(QStringLiteral("LaunchAgents/com.example.foobar.agent.plist")), QByteArray(10, 'a'));

        // Never offered: other apps, system names, hidden entries, entries deeper down.
        writeFile(library(QStringLiteral("Preferences/com.example.other.plist")), "other");
        writeFile(library(QStringLiteral("Preferences/com.apple.Safari.plist")), "system");
        writeFile(library(QStringLiteral("Preferences/.GlobalPreferences.plist")), "system");
        writeFile(library(QStringLiteral("Preferences/loginwindow.plist")), "system");
        writeFile(library(QStringLiteral("Caches/.com.example.foobar")), "hidden");
        writeFile(library(QStringLiteral("Caches/Elsewhere/com.example.foobar")), "deeper");
        writeFile(library(QStringLiteral("Containers/Containers/x")), "system");
        writeFile(library(QStringLiteral("Mail/com.example.foobar")), "not a scanned folder");
    }

    QString library(const QString& relative = QString()) const
    {
        return relative.isEmpty() ? home.filePath(QStringLiteral("Library"))
                                  : home.filePath(QStringLiteral("Library/") + relative);
    }
    std::vector<LeftoverFileItem> scanFooBar() const
    {
        return scanLeftovers(QStringLiteral("Foo Bar"), QStringLiteral("com.example.foobar"), library(), kEnglish);
    }
    TrashRemovalReport moveFooBar(const std::vector<LeftoverFileItem>& items,
        const std::optional<QString>& bundle = std::nullopt, bool includeBundle = false,
        TruneLanguage language = TruneLanguage::en) const
    {
        return moveToTrash(items, u"Foo Bar"_s, u"com.example.foobar"_s, bundle, includeBundle, library(), language);
    }
    QString trashFiles(const QString& name = QString()) const
    {
        return home.filePath(QStringLiteral(".local/share/Trash/files/") + name);
    }
    // Original path -> path in the Trash, for every item whose info file is complete.
    QMap<QString, QString> trashedOriginals() const
    {
        const QString infoFolder = home.filePath(QStringLiteral(".local/share/Trash/info"));
        QMap<QString, QString> originals;
        for (const QString& infoName : QDir(infoFolder).entryList(QDir::Files | QDir::Hidden)) {
            const QList<QByteArray> lines = contents(infoFolder + QLatin1Char('/') + infoName).split('\n');
            if (lines.size() < 3 || lines[0] != "[Trash Info]" || !lines[1].startsWith("Path=")
                || !lines[2].startsWith("DeletionDate="))
                continue;
            originals.insert(QFile::decodeName(QByteArray::fromPercentEncoding(lines[1].sliced(5))),
                trashFiles(infoName.chopped(QStringLiteral(".trashinfo").size())));
        }
        return originals;
    }

    TempHome home;
};

TEST_F(AppLeftoverScannerTest, FindsTheAppsEntriesInEveryScannedFolderWithTheirCategories)
{
    const std::vector<LeftoverFileItem> items = scanFooBar();

    // Found by the identifier, an entry starts ticked; by the name alone, not.
    struct Expected {
        QString relative;
        LeftoverCategory category;
        bool selected = true;
    };
    const std::vector<Expected> expected{
        {QStringLiteral("Application Support/Foo Bar"), LeftoverCategory::appSupport, false},
        {QStringLiteral("Caches/com.example.foobar"), LeftoverCategory::caches},
        {QStringLiteral("Preferences/com.example.foobar.plist"), LeftoverCategory::preferences},
        {QStringLiteral("Containers/com.example.foobar"), LeftoverCategory::containers},
        {QStringLiteral("Group Containers/ABCDE12345.com.example.foobar"), LeftoverCategory::containers},
        {QStringLiteral("Logs/a.foobar.log"), LeftoverCategory::logs, false},
        {QStringLiteral("Logs/B.foobar.log"), LeftoverCategory::logs, false},
        {QStringLiteral("Saved Application State/com.example.foobar.savedState"), LeftoverCategory::savedState},
        {QStringLiteral("HTTPStorages/com.example.foobar.binarycookies"), LeftoverCategory::caches},
        {QStringLiteral("WebKit/com.example.foobar"), LeftoverCategory::caches},
        {QStringLiteral("LaunchAgents/com.example.foobar.agent.plist"), LeftoverCategory::launchAgents},
    };
    ASSERT_EQ(items.size(), expected.size()) << pathsOf(items).join(QLatin1Char('\n')).toStdString();
    for (const Expected& entry : expected) {
        SCOPED_TRACE(entry.relative.toStdString());
        const QString path = library(entry.relative);
        const auto found = std::ranges::find(items, path, &LeftoverFileItem::path);
        ASSERT_NE(found, items.end());
        EXPECT_EQ(found->id(), path);
        EXPECT_EQ(found->category, entry.category);
        EXPECT_EQ(found->sizeBytes, FastDirectorySizeReader::allocatedSize(path, false));
        EXPECT_EQ(found->isSelected, entry.selected);
    }
}

TEST_F(AppLeftoverScannerTest, AnotherInstalledAppsDataIsNeverOffered)
{
    writeFile(library(u"Application Support/Google/Chrome/Default"_s), "chrome's");
    writeFile(library(u"Preferences/com.google.Chrome.plist"_s), "chrome's");
    writeFile(library(u"Caches/com.google.Chrome.helper"_s), "chrome's");
    writeFile(library(u"Preferences/com.google.plist"_s), "the app's own");
    writeFile(library(u"Caches/com.google.Keystone"_s), "no installed app's");
    const QSet<QString> installed{u"com.google.Chrome"_s, u"com.example.foobar"_s};

    // A bundle named "Google" without an identifier: its matches by name start unticked.
    const std::vector<LeftoverFileItem> byName = scanLeftovers(u"Google"_s, QString(), library(), kEnglish, installed);
    ASSERT_EQ(pathsOf(byName),
        (QStringList{library(u"Application Support/Google"_s), library(u"Preferences/com.google.plist"_s)}));
    EXPECT_FALSE(byName[0].isSelected);
    EXPECT_FALSE(byName[1].isSelected);

    // An app whose identifier is the maker's own: its entries stay, the installed app's go.
    const QStringList maker = pathsOf(scanLeftovers(u"Gogo"_s, u"com.google"_s, library(), kEnglish, installed));
    EXPECT_EQ(
        maker, (QStringList{library(u"Caches/com.google.Keystone"_s), library(u"Preferences/com.google.plist"_s)}));

    // Identifiers of one component claim nothing by prefix.
    for (const QString& id : {u"com"_s, u"org"_s, u"net"_s}) {
        SCOPED_TRACE(id.toStdString());
        EXPECT_TRUE(scanLeftovers(u"Xq"_s, id, library(), kEnglish, installed).empty());
    }

    // An app whose identifier extends an installed one's keeps what is its own.
    writeFile(library(u"Preferences/com.example.foobar.pro.plist"_s), "pro's");
    const QStringList pro
        = pathsOf(scanLeftovers(u"Xq"_s, u"com.example.foobar.pro"_s, library(), kEnglish, installed));
    EXPECT_EQ(pro, QStringList{library(u"Preferences/com.example.foobar.pro.plist"_s)});
    // The other way round, the rules for real identifiers give the extension's entries to the app
    // it extends, unless the extension is installed.
    EXPECT_TRUE(pathsOf(scanLeftovers(u"Foo Bar"_s, u"com.example.foobar"_s, library(), kEnglish, {}))
                    .contains(library(u"Preferences/com.example.foobar.pro.plist"_s)));
    EXPECT_FALSE(pathsOf(
        scanLeftovers(u"Foo Bar"_s, u"com.example.foobar"_s, library(), kEnglish, {u"com.example.foobar.pro"_s}))
                     .contains(library(u"Preferences/com.example.foobar.pro.plist"_s)));
}

TEST_F(AppLeftoverScannerTest, LargerItemsComeFirstAndEqualSizesByPathIgnoringCase)
{
    const std::vector<LeftoverFileItem> items = scanFooBar();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.front().path, library(QStringLiteral("Application Support/Foo Bar")));
    for (std::size_t index = 1; index < items.size(); ++index)
        EXPECT_GE(items[index - 1].sizeBytes, items[index].sizeBytes) << items[index].path.toStdString();
    const QStringList paths = pathsOf(items);
    ASSERT_EQ(FastDirectorySizeReader::allocatedSize(library(QStringLiteral("Logs/a.foobar.log")), false),
        FastDirectorySizeReader::allocatedSize(library(QStringLiteral("Logs/B.foobar.log")), false));
    EXPECT_LT(paths.indexOf(library(QStringLiteral("Logs/a.foobar.log"))),
        paths.indexOf(library(QStringLiteral("Logs/B.foobar.log"))));
}

TEST_F(AppLeftoverScannerTest, AppNamesAreTakenWithoutATrailingAppSuffix)
{
    const QStringList paths = pathsOf(scanLeftovers(QStringLiteral("Foo Bar.APP"), QString(), library(), kEnglish));
    EXPECT_TRUE(paths.contains(library(QStringLiteral("Application Support/Foo Bar"))));
    EXPECT_TRUE(paths.contains(library(QStringLiteral("Preferences/com.example.foobar.plist"))));
}

TEST_F(AppLeftoverScannerTest, SystemAppsThisProgramAndMissingLibrariesYieldNothing)
{
    writeFile(library(QStringLiteral("Preferences/com.apple.TextEdit.plist")), "system");
    writeFile(library(QStringLiteral("Caches/com.quorvane.truneupdate")), "own");
    writeFile(library(QStringLiteral("Caches/Safari")), "system");
    struct Row {
        QString appName;
        QString bundleID;
        QString libraryRoot;
    };
    const std::vector<Row> rows{
        {QStringLiteral("TextEdit"), QStringLiteral("com.apple.TextEdit"), library()},
        {QStringLiteral("TruneUpdate"), QStringLiteral("com.quorvane.truneupdate"), library()},
        {QStringLiteral("Safari"), QString(), library()},
        {QString(), QString(), library()},
        {QStringLiteral("Foo Bar"), QStringLiteral("com.example.foobar"), home.filePath(QStringLiteral("NoLibrary"))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE((row.appName + QStringLiteral(" | ") + row.bundleID).toStdString());
        EXPECT_TRUE(scanLeftovers(row.appName, row.bundleID, row.libraryRoot, kEnglish).empty());
    }
}

TEST_F(AppLeftoverScannerTest, MovesTheScannedItemsAndTheBundleToTheTrashAndCountsTheirBytes)
{
    std::vector<LeftoverFileItem> items = scanFooBar();
    ASSERT_EQ(items.size(), 11u);
    // The user ticks what was found by name too, but keeps one item.
    for (LeftoverFileItem& item : items)
        item.isSelected = true;
    const auto kept = std::ranges::find(items, library(QStringLiteral("Logs/a.foobar.log")), &LeftoverFileItem::path);
    kept->isSelected = false;
    const QString bundle = makeAppBundle(home.filePath(QStringLiteral("Applications/Foo Bar.app")));
    writeFile(bundle + QStringLiteral("/Contents/Resources/big.bin"), QByteArray(50000, 'x'));
    const qint64 bundleSize = FastDirectorySizeReader::allocatedSize(bundle, false);

    const TrashRemovalReport report = moveFooBar(items, bundle, true);

    QStringList expectedTrashed;
    qint64 expectedBytes = bundleSize;
    for (const LeftoverFileItem& item : items) {
        if (!item.isSelected)
            continue;
        expectedTrashed.append(item.path);
        expectedBytes += item.sizeBytes;
    }
    expectedTrashed.append(bundle);
    EXPECT_EQ(report.trashedPaths, expectedTrashed);
    EXPECT_TRUE(report.failedPaths.isEmpty()) << report.failedPaths.first().toStdString();
    EXPECT_EQ(report.reclaimedBytes, expectedBytes);
    EXPECT_GT(bundleSize, 50000);

    const QMap<QString, QString> inTrash = trashedOriginals();
    EXPECT_EQ(inTrash.size(), expectedTrashed.size());
    for (const QString& path : expectedTrashed) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(existsWithoutFollowing(path));
        ASSERT_TRUE(inTrash.contains(path));
        EXPECT_TRUE(existsWithoutFollowing(inTrash.value(path)));
    }
    EXPECT_EQ(contents(inTrash.value(library(QStringLiteral("Application Support/Foo Bar")))
                  + QStringLiteral("/data/store.bin")),
        QByteArray(20000, 'a'));
    EXPECT_TRUE(existsWithoutFollowing(kept->path));
    EXPECT_TRUE(existsWithoutFollowing(library(QStringLiteral("Preferences/com.example.other.plist"))));
}

TEST_F(AppLeftoverScannerTest, OnlyItemsTheScanCouldOfferForTheAppAreMoved)
{
    const QString precious = home.filePath(QStringLiteral("Documents/precious.txt"));
    writeFile(precious, "precious");
    makeSymlink(home.filePath(QStringLiteral("Documents")), library(QStringLiteral("Caches/Escape")));
    writeFile(library(QStringLiteral("Elsewhere/com.example.foobar")), "not a scanned folder");

    struct Row {
        QString path;
        QString message;
    };
    const std::vector<Row> rows{
        {precious, kOutsideLibrary},
        {library(QStringLiteral("Caches/../../Documents/precious.txt")), kOutsideLibrary},
        {library(QStringLiteral("Caches/Escape/precious.txt")), kOutsideLibrary},
        {library(QStringLiteral("Caches/com.example.foobar/../../../Documents/precious.txt")), kOutsideLibrary},
        {library(QStringLiteral("Caches")), kOutsideLibrary},
        {library(), kOutsideLibrary},
        {library(QStringLiteral("Caches/com.example.foobar/Cache.db")), kOutsideLibrary},
        {library(QStringLiteral("Elsewhere/com.example.foobar")), kOutsideLibrary},
        {QStringLiteral("Library/Caches/com.example.foobar"), kOutsideLibrary},
        {library(u"Preferences/com.example.other.plist"_s), kOutsideLibrary},
        {library(u"Caches/.com.example.foobar"_s), kOutsideLibrary},
        {library(QStringLiteral("Preferences/com.apple.Safari.plist")), kProtected},
        {library(QStringLiteral("Containers/Containers")), kProtected},
    };
    // The relative row exists from the home folder, so it is refused rather than skipped.
    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(home.path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const TrashRemovalReport report = moveFooBar({selected(row.path, 4096)});
        EXPECT_TRUE(report.trashedPaths.isEmpty());
        EXPECT_EQ(report.failedPaths, (QMap<QString, QString>{{row.path, row.message}}));
        EXPECT_EQ(report.reclaimedBytes, 0);
    }
    QDir::setCurrent(previousFolder);
    EXPECT_EQ(contents(precious), "precious");
    EXPECT_TRUE(QFileInfo(library(QStringLiteral("Caches/com.example.foobar/Cache.db"))).isFile());
    EXPECT_TRUE(QFileInfo(library(QStringLiteral("Preferences/com.apple.Safari.plist"))).isFile());
    EXPECT_EQ(contents(library(u"Preferences/com.example.other.plist"_s)), "other");
    EXPECT_EQ(contents(library(u"Caches/.com.example.foobar"_s)), "hidden");
    EXPECT_FALSE(QFileInfo::exists(trashFiles()) && !QDir(trashFiles()).isEmpty());
}

TEST_F(AppLeftoverScannerTest, TheLeftoversOfOneAppAreNotMovedForAnother)
{
    std::vector<LeftoverFileItem> items = scanFooBar();
    ASSERT_FALSE(items.empty());
    for (LeftoverFileItem& item : items)
        item.isSelected = true;
    const TrashRemovalReport report
        = moveToTrash(items, u"Other"_s, u"com.example.other"_s, std::nullopt, false, library());
    EXPECT_TRUE(report.trashedPaths.isEmpty());
    EXPECT_EQ(report.failedPaths.size(), qsizetype(items.size()));
    for (const LeftoverFileItem& item : items) {
        SCOPED_TRACE(item.path.toStdString());
        EXPECT_EQ(report.failedPaths.value(item.path), kOutsideLibrary);
        EXPECT_TRUE(existsWithoutFollowing(item.path));
    }
}

TEST_F(AppLeftoverScannerTest, ALinkInTheLibraryIsMovedAsALinkAndItsTargetStays)
{
    const QString target = home.filePath(QStringLiteral("Documents/FooBarData"));
    writeFile(target + QStringLiteral("/file"), "keep");
    const QString link = library(QStringLiteral("Application Support/com.example.foobar"));
    makeSymlink(target, link);

    const std::vector<LeftoverFileItem> items = scanFooBar();
    const auto found = std::ranges::find(items, link, &LeftoverFileItem::path);
    ASSERT_NE(found, items.end());
    EXPECT_EQ(found->sizeBytes, 0);

    const TrashRemovalReport report = moveFooBar({*found});
    EXPECT_EQ(report.trashedPaths, QStringList{link});
    EXPECT_TRUE(QFileInfo(trashFiles(QStringLiteral("com.example.foobar"))).isSymLink());
    EXPECT_EQ(contents(target + QStringLiteral("/file")), "keep");
}

TEST_F(AppLeftoverScannerTest, TheBundleMustBeAnAppFolder)
{
    writeFile(home.filePath(QStringLiteral("Applications/Plain.app")), "a file");
    makeFolder(home.filePath(QStringLiteral("Documents/Project")));
    struct Row {
        QString bundle;
        bool refused;
    };
    const std::vector<Row> rows{
        {home.filePath(QStringLiteral("Documents/Project")), true},
        {home.filePath(QStringLiteral("Documents")), true},
        {home.filePath(QStringLiteral("Applications/Plain.app")), true},
        {home.filePath(QStringLiteral("Applications/Missing.app")), false},
        {QString(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bundle.toStdString());
        const TrashRemovalReport report = moveFooBar({}, row.bundle, true);
        EXPECT_TRUE(report.trashedPaths.isEmpty());
        EXPECT_EQ(report.failedPaths,
            (row.refused ? QMap<QString, QString>{{row.bundle, kNotABundle}} : QMap<QString, QString>{}));
    }
    EXPECT_TRUE(QFileInfo(home.filePath(QStringLiteral("Documents/Project"))).isDir());
    EXPECT_TRUE(QFileInfo(home.filePath(QStringLiteral("Applications/Plain.app"))).isFile());

    // The bundle is only taken when asked for.
    const QString bundle = makeAppBundle(home.filePath(QStringLiteral("Applications/Foo Bar.app")));
    EXPECT_EQ(moveFooBar({}, bundle, false), TrashRemovalReport{});
    EXPECT_TRUE(QFileInfo(bundle).isDir());
}

TEST_F(AppLeftoverScannerTest, FailedMovesAreReportedAndTheRestGoesOn)
{
    const QString gone = library(QStringLiteral("Caches/com.example.gone"));
    const QString outside = home.filePath(QStringLiteral("Documents/precious.txt"));
    writeFile(outside, "precious");
    const QString preferences = library(QStringLiteral("Preferences/com.example.foobar.plist"));
    const QString caches = library(QStringLiteral("Caches/com.example.foobar"));
    const std::vector<LeftoverFileItem> items{
        selected(gone, 100), selected(outside, 200), selected(preferences, 300), selected(caches, 400)};

    // A file where the Trash's info folder should be: no item can be moved.
    writeFile(home.filePath(QStringLiteral(".local/share/Trash/info")), "in the way");
    const TrashRemovalReport blocked = moveFooBar(items);
    EXPECT_TRUE(blocked.trashedPaths.isEmpty());
    EXPECT_EQ(blocked.reclaimedBytes, 0);
    EXPECT_EQ(blocked.failedPaths.keys(), (QStringList{outside, caches, preferences}));
    EXPECT_EQ(blocked.failedPaths.value(outside), kOutsideLibrary);
    EXPECT_TRUE(blocked.failedPaths.value(preferences).contains(QStringLiteral("Not a directory")))
        << blocked.failedPaths.value(preferences).toStdString();
    EXPECT_TRUE(existsWithoutFollowing(preferences));
    EXPECT_TRUE(existsWithoutFollowing(caches));

    // Once the Trash works again the same request moves what it may.
    QFile::remove(home.filePath(QStringLiteral(".local/share/Trash/info")));
    const TrashRemovalReport moved = moveFooBar(items);
    EXPECT_EQ(moved.trashedPaths, (QStringList{preferences, caches}));
    EXPECT_EQ(moved.failedPaths, (QMap<QString, QString>{{outside, kOutsideLibrary}}));
    EXPECT_EQ(moved.reclaimedBytes, 700);
}

TEST_F(AppLeftoverScannerTest, AFolderLinkedOutsideTheHomeIsNeitherScannedNorMovedFrom)
{
    // The Logs folder leads out of the home; the WebKit folder to another place inside it.
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    ASSERT_TRUE(QDir(library(u"Logs"_s)).removeRecursively());
    makeSymlink(outside.path(), library(u"Logs"_s));
    const QString log = library(u"Logs/Foo Bar.log"_s);
    writeFile(log, "log");
    ASSERT_TRUE(QDir(library(u"WebKit"_s)).removeRecursively());
    writeFile(home.filePath(u"Elsewhere/WebKit/com.example.foobar"_s), "webkit");
    makeSymlink(home.filePath(u"Elsewhere/WebKit"_s), library(u"WebKit"_s));
    const QString webKit = library(u"WebKit/com.example.foobar"_s);

    const QStringList scanned = pathsOf(scanFooBar());
    EXPECT_FALSE(scanned.contains(log));
    EXPECT_TRUE(scanned.contains(webKit));

    const TrashRemovalReport report = moveFooBar({selected(log, 10), selected(webKit, 20)});
    EXPECT_EQ(report.trashedPaths, QStringList{webKit});
    EXPECT_EQ(report.failedPaths, (QMap<QString, QString>{{log, kOutsideLibrary}}));
    EXPECT_EQ(report.reclaimedBytes, 20);
    EXPECT_EQ(contents(outside.path() + u"/Foo Bar.log"_s), "log");
}

TEST_F(AppLeftoverScannerTest, RefusalsAreWrittenInTheUsersLanguage)
{
    const QString outside = home.filePath(u"Documents/precious.txt"_s);
    writeFile(outside, "precious");
    const QString folder = home.filePath(u"Documents/Project"_s);
    makeFolder(folder);
    const auto trashed = TruneTrash::trashItem(makeAppBundle(home.filePath(u"Applications/Foo Bar.app"_s)));
    ASSERT_TRUE(trashed.has_value()) << trashed.error().description().toStdString();

    struct Row {
        std::vector<LeftoverFileItem> items;
        std::optional<QString> bundle;
        QString refusedPath;
        QString english;
        QString turkish;
    };
    const std::vector<Row> rows{
        {{selected(outside)}, std::nullopt, outside, kOutsideLibrary,
            u"Yalnızca artık dosya taramasında bulunan Library klasörlerindeki öğeler Çöp Sepetine taşınabilir."_s},
        {{}, folder, folder, kNotABundle,
            u"Yalnızca bir uygulama paketi (adı .app ile biten bir klasör) Çöp Sepetine taşınabilir."_s},
        {{}, *trashed, *trashed, u"Items already in the Trash are not moved again."_s,
            u"Zaten Çöp Sepetinde olan öğeler yeniden taşınmaz."_s},
        // The protection message is the same in every language.
        {{selected(library(u"Preferences/com.apple.Safari.plist"_s))}, std::nullopt,
            library(u"Preferences/com.apple.Safari.plist"_s), kProtected, kProtected},
    };
    for (const Row& row : rows) {
        for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
            SCOPED_TRACE((row.refusedPath + u" | "_s + language.rawValue()).toStdString());
            const TrashRemovalReport report = moveFooBar(row.items, row.bundle, true, language);
            EXPECT_TRUE(report.trashedPaths.isEmpty());
            EXPECT_EQ(report.failedPaths,
                (QMap<QString, QString>{{row.refusedPath, language == TruneLanguage::tr ? row.turkish : row.english}}));
            EXPECT_TRUE(existsWithoutFollowing(row.refusedPath));
        }
    }
}

TEST_F(AppLeftoverScannerTest, NothingSelectedMovesNothing)
{
    std::vector<LeftoverFileItem> items = scanFooBar();
    for (LeftoverFileItem& item : items)
        item.isSelected = false;
    EXPECT_EQ(moveFooBar(items), TrashRemovalReport{});
    EXPECT_EQ(moveFooBar({}, std::nullopt, true), TrashRemovalReport{});
    EXPECT_EQ(scanFooBar().size(), items.size());
}

TEST(AppLeftoverScannerAlerts, StaleAlertsAreDropped)
{
    const auto alert = [](const QString& bundleID, const QString& trashedPath) {
        return TrashLeftoverAlert(QUuid::createUuid(), QStringLiteral("App"), bundleID, trashedPath,
            QDateTime::currentDateTimeUtc(), {selected(QStringLiteral("/l/x"), 1)});
    };
    const auto installed = [](const QString& bundleID, const QString& path) {
        return InstalledAppRecord(std::nullopt, QStringLiteral("App"), bundleID, path, QString(), QString(),
            std::nullopt, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, AppOriginKind::direct,
            AppArchitecture::unknown, 0, std::nullopt, std::nullopt);
    };
    const std::vector<TrashLeftoverAlert> alerts{
        alert(QStringLiteral("com.example.kept"), QStringLiteral("/T/Kept.app")),
        alert(QStringLiteral("com.example.gone"), QStringLiteral("/T/Gone.app")),
        alert(QStringLiteral(" COM.Example.Back\n"), QStringLiteral("/T/Renamed.app")),
        alert(QStringLiteral("com.example.other"), QStringLiteral("/T/SameName.app")),
        alert(QString(), QStringLiteral("/T/NoID.app")),
    };
    const std::vector<InstalledAppRecord> apps{
        installed(QStringLiteral("com.example.back"), QStringLiteral("/Applications/Back.app")),
        installed(QStringLiteral("com.example.elsewhere"), QStringLiteral("/Applications/Tools/samename.APP")),
        installed(QString(), QStringLiteral("/Applications/Unrelated.app")),
    };
    const auto existing = [](const QString& path) { return path != QStringLiteral("/T/Gone.app"); };

    const std::vector<TrashLeftoverAlert> kept = AppLeftoverScanner::pruneStaleTrashAlerts(alerts, apps, existing);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0], alerts[0]);
    EXPECT_EQ(kept[1], alerts[4]);

    int calls = 0;
    EXPECT_TRUE(
        AppLeftoverScanner::pruneStaleTrashAlerts({}, apps, [&](const QString&) { return ++calls > 0; }).empty());
    EXPECT_EQ(calls, 0);
}

} // namespace
