#include "core/records/UpdateConfigStore.h"
#include "kit/platform/TruneSafeFile.h"
#include "tests/support/TempHome.h"
#include "tests/support/TextsOf.h"
#include "tests/support/TinyFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <chrono>
#include <functional>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime march1(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC);

UpdateLogEntry entry(int n)
{
    return UpdateLogEntry(QUuid::createUuid(), march1.addSecs(n), QStringLiteral("app-%1").arg(n),
        UpdateLogAction::brewUpgrade, std::nullopt, QStringLiteral("2.0"), UpdateLogStatus::success, QString());
}

QStringList namesOf(const std::vector<UpdateLogEntry>& history)
{
    return textsOf(history, &UpdateLogEntry::appName);
}

// "<name>.bad-" and a UTC time in whole seconds, with no counter.
bool isSetAsideName(const QString& candidate, const QString& name)
{
    const QString prefix = name + QStringLiteral(".bad-");
    return candidate.startsWith(prefix)
        && QRegularExpression(QStringLiteral(R"(^\d{8}T\d{6}Z$)")).match(candidate.mid(prefix.size())).hasMatch();
}

// The settings of a fresh installation, spelled out.
TruneUpdateConfig defaults()
{
    return TruneUpdateConfig{.ignoredBundleIDs = {},
        .autoCheckIntervalHours = 6,
        .watchTrashForLeftovers = true,
        .includePrereleases = false,
        .autoCleanupAfterBrewUpgrade = false,
        .includeHomebrewFormulaeInBadge = false};
}

class UpdateConfigStoreTest : public ::testing::Test {
protected:
    QString directory() const { return home.dataHome() + QStringLiteral("/Quorvane/TruneUpdate"); }
    QString file(const QString& name) const { return directory() + QLatin1Char('/') + name; }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(directory());
        QFile out(file(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    // The copies the store set aside for `name`, oldest name first.
    QStringList setAside(const QString& name) const
    {
        return QDir(directory())
            .entryList({name + QStringLiteral(".bad-*")}, QDir::AllEntries | QDir::System, QDir::Name);
    }

    // `count` entries written by the store itself, newest (0) first.
    void writeHistory(int count) const
    {
        UpdateConfigStore writer(directory(), 1000);
        std::vector<UpdateLogEntry> history;
        for (int i = 0; i < count; ++i)
            history.push_back(entry(i));
        writer.saveHistory(history);
    }

    // Runs `work` on another thread so that a store blocked on a FIFO fails the test instead of
    // hanging it; a reader stuck on a FIFO is released by opening its writing end.
    template <typename Work> auto withoutBlocking(Work work) const
    {
        auto running = std::async(std::launch::async, work);
        if (running.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the store blocked";
            while (running.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout) {
                for (const QString& name : {u"config.json"_s, u"history.json"_s})
                    ::close(::open(QFile::encodeName(file(name)).constData(), O_WRONLY | O_NONBLOCK));
            }
        }
        return running.get();
    }

    TempHome home;
};

} // namespace

TEST_F(UpdateConfigStoreTest, DefaultDirectoryIsInTheUserDataFolder)
{
    EXPECT_EQ(UpdateConfigStore::defaultDirectoryURL(), directory());
    const UpdateConfigStore store(UpdateConfigStore::defaultDirectoryURL(), 500);
    EXPECT_EQ(store.configURL(), file(QStringLiteral("config.json")));
    EXPECT_EQ(store.historyURL(), file(QStringLiteral("history.json")));
}

TEST_F(UpdateConfigStoreTest, FreshInstallationReadsDefaultsAndCreatesNothing)
{
    const UpdateConfigStore store(directory(), 500);
    EXPECT_EQ(store.loadConfig(), defaults());
    EXPECT_TRUE(store.loadHistory().empty());
    EXPECT_FALSE(QFileInfo::exists(home.dataHome() + QStringLiteral("/Quorvane")));
}

TEST_F(UpdateConfigStoreTest, HistoryLimitIsAtLeastTen)
{
    const std::pair<qint64, qint64> limits[] = {{0, 10}, {-5, 10}, {3, 10}, {10, 10}, {11, 11}, {500, 500}};
    for (const auto& [given, kept] : limits) {
        SCOPED_TRACE(given);
        EXPECT_EQ(UpdateConfigStore(directory(), given).maxHistoryCount(), kept);
    }
    UpdateConfigStore store(directory(), 3);
    std::vector<UpdateLogEntry> returned;
    for (int i = 0; i < 12; ++i)
        returned = store.appendHistory(entry(i));
    EXPECT_EQ(returned.size(), 10u);
    EXPECT_EQ(returned.front().appName, QStringLiteral("app-11"));
    EXPECT_EQ(returned.back().appName, QStringLiteral("app-2"));
    EXPECT_EQ(store.loadHistory(), returned);
}

TEST_F(UpdateConfigStoreTest, AppendToAFullHistoryDropsTheOldest)
{
    writeHistory(10);
    UpdateConfigStore store(directory(), 10);
    const std::vector<UpdateLogEntry> history = store.appendHistory(entry(99));
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.front().appName, QStringLiteral("app-99"));
    EXPECT_EQ(history.back().appName, QStringLiteral("app-8"));
    EXPECT_EQ(store.loadHistory(), history);
}

TEST_F(UpdateConfigStoreTest, LongerHistoryOnDiskIsReadWholeAndTrimmedOnAppend)
{
    writeHistory(15);
    UpdateConfigStore store(directory(), 10);
    EXPECT_EQ(store.loadHistory().size(), 15u);
    EXPECT_EQ(store.appendHistory(entry(99)).size(), 10u);
    EXPECT_EQ(store.loadHistory().size(), 10u);
    EXPECT_TRUE(setAside(QStringLiteral("history.json")).isEmpty());
}

// A failed brew command keeps its error output: 32 KB of control characters take six bytes each
// in JSON, so kept whole a few dozen of them would make a document the store refuses to read.
TEST_F(UpdateConfigStoreTest, LongDetailsAreCutSoTheHistoryNeverResetsItself)
{
    const QString stderrTail = QString(32 * 1024, QChar(0x01));
    UpdateConfigStore store(directory(), 200);
    for (int n = 0; n < 120; ++n) {
        UpdateLogEntry failure = entry(n);
        failure.status = UpdateLogStatus::failed;
        failure.details = stderrTail;
        store.appendHistory(failure);
    }
    const std::vector<UpdateLogEntry> history = store.loadHistory();
    ASSERT_EQ(history.size(), 120u) << "the history was set aside and started over";
    EXPECT_EQ(history.front().appName, u"app-119"_s);
    EXPECT_EQ(history.front().details.size(), UpdateConfigStore::maxDetailsLength);
    EXPECT_TRUE(history.front().details.endsWith(QChar(0x2026)));
    EXPECT_TRUE(setAside(u"history.json"_s).isEmpty());
}

TEST_F(UpdateConfigStoreTest, DetailsAreCutBetweenCharacters)
{
    const qsizetype limit = UpdateConfigStore::maxDetailsLength;
    struct Case {
        const char* name;
        QString details;
        QString kept; // before the ellipsis
    };
    const QString as = QString(limit - 2, u'a');
    const std::vector<Case> cases{
        {"an emoji across the cut", as + u"\U0001F600zz"_s, as},
        {"a letter with two accents across the cut", as + u"e\u0301\u0323tail"_s, as},
        {"one endless cluster", u"x"_s + QString(3 * limit, QChar(0x0301)), u"x"_s + QString(limit - 2, QChar(0x0301))},
        // U+E0100, a variation selector outside the BMP, extends the cluster like the accents.
        {"a surrogate pair in an endless cluster",
            u"x"_s + QString(limit - 3, QChar(0x0301)) + u"\U000E0100"_s + QString(10, QChar(0x0301)),
            u"x"_s + QString(limit - 3, QChar(0x0301))},
    };
    UpdateConfigStore store(directory(), 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateLogEntry failure = entry(1);
        failure.details = c.details;
        ASSERT_EQ(store.appendHistory(failure).size(), 1u);
        const QString details = store.loadHistory().front().details;
        EXPECT_EQ(details, c.kept + QChar(0x2026));
        store.clearHistory();
    }
    UpdateLogEntry exact = entry(2);
    exact.details = QString(limit, u'z');
    EXPECT_EQ(store.appendHistory(exact).front().details, exact.details) << "details at the limit stay whole";
}

TEST_F(UpdateConfigStoreTest, AHistoryTooLargeToReadBackLosesItsOldestEntriesInstead)
{
    // 12,000 bytes of JSON an entry even after the cut: far more entries than fit in one document.
    const qsizetype entries = UpdateConfigStore::maxDocumentBytes / 10'000;
    std::vector<UpdateLogEntry> history;
    for (qsizetype n = 0; n < entries; ++n) {
        UpdateLogEntry failure = entry(int(n));
        failure.details = QString(UpdateConfigStore::maxDetailsLength, QChar(0x01));
        history.push_back(failure);
    }
    UpdateConfigStore store(directory(), entries);
    store.saveHistory(history);
    const std::vector<UpdateLogEntry> stored = store.loadHistory();
    ASSERT_FALSE(stored.empty()) << "the store wrote a document it refuses to read";
    EXPECT_LT(stored.size(), history.size());
    EXPECT_EQ(stored.front().appName, u"app-0"_s) << "the newest entries stay";
    EXPECT_LE(QFileInfo(file(u"history.json"_s)).size(), UpdateConfigStore::maxDocumentBytes);
}

TEST_F(UpdateConfigStoreTest, ClearHistoryLeavesAnEmptyArray)
{
    writeHistory(3);
    UpdateConfigStore store(directory(), 10);
    store.clearHistory();
    EXPECT_EQ(readFile(QStringLiteral("history.json")).trimmed(), QByteArray("[\n]"));
    EXPECT_TRUE(store.loadHistory().empty());
    EXPECT_TRUE(setAside(QStringLiteral("history.json")).isEmpty());
}

TEST_F(UpdateConfigStoreTest, TimestampsAreStoredInWholeSeconds)
{
    UpdateConfigStore store(directory(), 10);
    UpdateLogEntry appended = entry(0);
    appended.timestamp = march1.addMSecs(750);
    const std::vector<UpdateLogEntry> returned = store.appendHistory(appended);
    EXPECT_EQ(returned.front(), appended);
    EXPECT_TRUE(readFile(QStringLiteral("history.json")).contains("\"timestamp\": \"2025-03-01T08:30:00Z\""));
    const std::vector<UpdateLogEntry> loaded = store.loadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.front().timestamp, march1);
    UpdateLogEntry withoutFraction = appended;
    withoutFraction.timestamp = march1;
    EXPECT_EQ(loaded.front(), withoutFraction);
}

TEST_F(UpdateConfigStoreTest, ConfigIsWrittenPrettyWithSortedKeys)
{
    UpdateConfigStore store(directory(), 10);
    const TruneUpdateConfig config{.ignoredBundleIDs = {u"com.b"_s, u"com.a"_s},
        .autoCheckIntervalHours = 0,
        .watchTrashForLeftovers = false,
        .includePrereleases = true,
        .autoCleanupAfterBrewUpgrade = true,
        .includeHomebrewFormulaeInBadge = true};
    store.saveConfig(config);
    EXPECT_EQ(readFile(QStringLiteral("config.json")),
        QByteArray("{\n"
                   "    \"autoCheckIntervalHours\": 0,\n"
                   "    \"autoCleanupAfterBrewUpgrade\": true,\n"
                   "    \"ignoredBundleIDs\": [\n"
                   "        \"com.b\",\n"
                   "        \"com.a\"\n"
                   "    ],\n"
                   "    \"includeHomebrewFormulaeInBadge\": true,\n"
                   "    \"includePrereleases\": true,\n"
                   "    \"watchTrashForLeftovers\": false\n"
                   "}\n"));
    EXPECT_EQ(store.loadConfig(), config);
}

TEST_F(UpdateConfigStoreTest, ExtraKeyIsReadAndDroppedOnSave)
{
    writeFile(QStringLiteral("config.json"),
        R"({"autoCheckIntervalHours":24,"autoCleanupAfterBrewUpgrade":false,"ignoredBundleIDs":["com.x"],)"
        R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,"watchTrashForLeftovers":true,)"
        R"("theme":"dark"})");
    UpdateConfigStore store(directory(), 10);
    const TruneUpdateConfig loaded = store.loadConfig();
    EXPECT_EQ(loaded, (TruneUpdateConfig{.ignoredBundleIDs = {u"com.x"_s}, .autoCheckIntervalHours = 24}));
    store.saveConfig(loaded);
    EXPECT_FALSE(readFile(QStringLiteral("config.json")).contains("theme"));
    EXPECT_TRUE(setAside(QStringLiteral("config.json")).isEmpty());
}

TEST_F(UpdateConfigStoreTest, UnreadableConfigLoadsDefaultsAndSurvivesTheNextSave)
{
    const QByteArray cases[] = {
        R"({"autoCheckIntervalHours":12})",
        R"({"autoCheckIntervalHours":12,"autoCleanupAfterBrewUpgrade":false,"ignoredBundleIDs":["com.keep.me"],)"
        R"("includePrereleases":false,"watchTrashForLeftovers":true})",
        R"({"autoCheckIntervalHours":"12"})",
        "{not json",
        "",
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toStdString());
        QDir(directory()).removeRecursively();
        writeFile(QStringLiteral("config.json"), bytes);
        UpdateConfigStore store(directory(), 10);
        EXPECT_EQ(store.loadConfig(), defaults());
        EXPECT_EQ(readFile(QStringLiteral("config.json")), bytes);

        store.saveConfig(defaults());
        const QStringList copies = setAside(QStringLiteral("config.json"));
        ASSERT_EQ(copies.size(), 1);
        EXPECT_TRUE(isSetAsideName(copies[0], QStringLiteral("config.json"))) << copies[0].toStdString();
        EXPECT_EQ(readFile(copies[0]), bytes);
        EXPECT_EQ(store.loadConfig(), defaults());

        // Once the file reads again, later saves simply replace it.
        store.saveConfig(defaults());
        EXPECT_EQ(setAside(QStringLiteral("config.json")).size(), 1);
    }
}

TEST_F(UpdateConfigStoreTest, UnreadableHistoryIsEmptyAndSurvivesTheNextAppend)
{
    const QByteArray goodEntry = R"({"action":"brewUpgrade","appName":"wget","details":"",)"
                                 R"("id":"0E4F0C2A-6B1D-4E59-9C3B-2F1A7D5E8B40","status":"success",)"
                                 R"("timestamp":"2025-03-01T08:30:00Z"})";
    const QByteArray badEntry = R"({"action":"brewUpgrade","appName":"git","details":"",)"
                                R"("id":"1E4F0C2A-6B1D-4E59-9C3B-2F1A7D5E8B40","status":"canceled",)"
                                R"("timestamp":"2025-03-01T08:31:00Z"})";
    const QByteArray cases[] = {
        "[" + goodEntry + "," + badEntry + "]",
        "[" + goodEntry + ",",
        "{\"history\":[" + goodEntry + "]}",
        "",
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toStdString());
        QDir(directory()).removeRecursively();
        writeFile(QStringLiteral("history.json"), bytes);
        UpdateConfigStore store(directory(), 10);
        EXPECT_TRUE(store.loadHistory().empty());

        const std::vector<UpdateLogEntry> appended = store.appendHistory(entry(1));
        EXPECT_EQ(namesOf(appended), QStringList{QStringLiteral("app-1")});
        EXPECT_EQ(store.loadHistory(), appended);
        const QStringList copies = setAside(QStringLiteral("history.json"));
        ASSERT_EQ(copies.size(), 1);
        EXPECT_TRUE(isSetAsideName(copies[0], QStringLiteral("history.json"))) << copies[0].toStdString();
        EXPECT_EQ(readFile(copies[0]), bytes);

        store.appendHistory(entry(2));
        EXPECT_EQ(setAside(QStringLiteral("history.json")).size(), 1);
    }
}

TEST_F(UpdateConfigStoreTest, ClearingAnUnreadableHistoryKeepsIt)
{
    writeFile(QStringLiteral("history.json"), "not json");
    UpdateConfigStore store(directory(), 10);
    store.clearHistory();
    EXPECT_EQ(readFile(QStringLiteral("history.json")).trimmed(), QByteArray("[\n]"));
    const QStringList copies = setAside(QStringLiteral("history.json"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(readFile(copies[0]), QByteArray("not json"));
}

TEST_F(UpdateConfigStoreTest, AFolderInThePlaceOfTheHistoryIsMovedAside)
{
    QDir().mkpath(file(QStringLiteral("history.json/inner")));
    UpdateConfigStore store(directory(), 10);
    EXPECT_TRUE(store.loadHistory().empty());
    store.appendHistory(entry(1));
    EXPECT_EQ(store.loadHistory().size(), 1u);
    const QStringList copies = setAside(QStringLiteral("history.json"));
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(QFileInfo(file(copies[0] + QStringLiteral("/inner"))).isDir());
}

TEST_F(UpdateConfigStoreTest, SetAsideNamesNeverReplaceEarlierCopies)
{
    // Occupy the plain names of the next few seconds so the store has to number its copy.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList occupied;
    for (int second = 0; second < 5; ++second) {
        const QString name = QStringLiteral("history.json.bad-")
            + now.addSecs(second).toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        writeFile(name, "earlier copy");
        occupied.append(name);
    }
    writeFile(QStringLiteral("history.json"), "damaged");
    UpdateConfigStore store(directory(), 10);
    store.appendHistory(entry(1));

    const QStringList copies = setAside(QStringLiteral("history.json"));
    ASSERT_EQ(copies.size(), 6);
    for (const QString& name : occupied)
        EXPECT_EQ(readFile(name), QByteArray("earlier copy")) << name.toStdString();
    const QStringList numbered = copies.filter(QRegularExpression(QStringLiteral(R"(Z-1$)")));
    ASSERT_EQ(numbered.size(), 1);
    EXPECT_EQ(readFile(numbered[0]), QByteArray("damaged"));
}

TEST_F(UpdateConfigStoreTest, DeletedFolderIsRecreatedOnSave)
{
    UpdateConfigStore store(directory(), 10);
    store.saveConfig(defaults());
    ASSERT_TRUE(QDir(home.dataHome() + QStringLiteral("/Quorvane")).removeRecursively());
    const TruneUpdateConfig changed{.ignoredBundleIDs = {u"com.example.a"_s}, .autoCheckIntervalHours = 3};
    store.saveConfig(changed);
    EXPECT_EQ(store.loadConfig(), changed);
    store.appendHistory(entry(1));
    EXPECT_EQ(store.loadHistory().size(), 1u);
}

TEST_F(UpdateConfigStoreTest, AFailedWriteReturnsWhatIsOnDisk)
{
    // A plain file where a folder of the path should be: nothing can be created below it.
    const QString blocker = home.filePath(QStringLiteral("blocker"));
    QFile blockerFile(blocker);
    ASSERT_TRUE(blockerFile.open(QIODevice::WriteOnly));
    blockerFile.close();
    UpdateConfigStore store(blocker + QStringLiteral("/TruneUpdate"), 10);
    EXPECT_TRUE(store.appendHistory(entry(1)).empty()) << "the entry the view would show is not stored";
    store.saveConfig(defaults());
    EXPECT_TRUE(store.loadHistory().empty());
    EXPECT_TRUE(QFileInfo(blocker).isFile());
}

TEST_F(UpdateConfigStoreTest, AFullDiskKeepsTheStoredSettingsAndHistory)
{
    const TinyFileSystem disk(directory());
    if (!disk.isMounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    UpdateConfigStore store(directory(), 10);
    const TruneUpdateConfig stored{.ignoredBundleIDs = {u"com.example.kept"_s}, .includePrereleases = true};
    store.saveConfig(stored);
    const std::vector<UpdateLogEntry> storedHistory = store.appendHistory(entry(1));
    // Filled again before each step, in case an earlier one freed space.
    ASSERT_TRUE(disk.fill());
    store.saveConfig(TruneUpdateConfig{.autoCheckIntervalHours = 1});
    EXPECT_EQ(store.loadConfig(), stored);

    ASSERT_TRUE(disk.fill());
    EXPECT_EQ(store.appendHistory(entry(2)), storedHistory) << "what is on disk, not the entry that was lost";
    EXPECT_EQ(store.loadHistory(), storedHistory);
    ASSERT_TRUE(disk.fill());
    store.clearHistory();
    EXPECT_EQ(store.loadHistory(), storedHistory);
}

// What a hostile or broken setup could leave where a document belongs. None of them is read:
// loading gives the defaults without blocking, and the next save sets the thing aside and
// writes a plain file in its place.
TEST_F(UpdateConfigStoreTest, SpecialFilesInThePlaceOfTheDocumentsAreNotRead)
{
    const QString elsewhere = home.filePath(u"elsewhere"_s);
    UpdateConfigStore(elsewhere, 10).saveConfig(TruneUpdateConfig{.autoCheckIntervalHours = 48});
    UpdateConfigStore(elsewhere, 10).appendHistory(entry(7));
    const auto elsewhereConfig = TruneSafeFile::readRegularFile(elsewhere + u"/config.json"_s, 4096);
    ASSERT_TRUE(elsewhereConfig.has_value());

    struct Case {
        const char* name;
        std::function<bool(const QString& documentName)> plant;
    };
    const Case cases[] = {
        {"FIFO", [&](const QString& name) { return ::mkfifo(QFile::encodeName(file(name)).constData(), 0600) == 0; }},
        {"link to /dev/zero", [&](const QString& name) { return QFile::link(u"/dev/zero"_s, file(name)); }},
        {"link to a readable document",
            [&](const QString& name) { return QFile::link(elsewhere + u'/' + name, file(name)); }},
    };
    const QStringList documents{u"config.json"_s, u"history.json"_s};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(directory()).removeRecursively();
        QDir().mkpath(directory());
        for (const QString& name : documents)
            ASSERT_TRUE(c.plant(name));
        UpdateConfigStore store(directory(), 10);

        const auto [config, history]
            = withoutBlocking([&] { return std::pair(store.loadConfig(), store.loadHistory()); });
        EXPECT_EQ(config, defaults());
        EXPECT_TRUE(history.empty());

        withoutBlocking([&] {
            store.saveConfig(defaults());
            return store.appendHistory(entry(1));
        });
        for (const QString& name : documents) {
            SCOPED_TRACE(name.toStdString());
            const QFileInfo written(file(name));
            EXPECT_TRUE(written.isFile() && !written.isSymLink());
            EXPECT_EQ(setAside(name).size(), 1);
        }
        EXPECT_EQ(store.loadConfig(), defaults());
        EXPECT_EQ(namesOf(store.loadHistory()), QStringList{u"app-1"_s});
    }
    EXPECT_EQ(
        TruneSafeFile::readRegularFile(elsewhere + u"/config.json"_s, 4096).value_or(QByteArray()), *elsewhereConfig);
    EXPECT_EQ(namesOf(UpdateConfigStore(elsewhere, 10).loadHistory()), QStringList{u"app-7"_s});
}

// Several processes append at once, as the program and its helpers may; each one's entries
// are all kept, in the order it wrote them.
TEST_F(UpdateConfigStoreTest, ConcurrentAppendsFromSeveralProcessesAreAllKept)
{
    constexpr int writers = 4;
    constexpr int appendsPerWriter = 30;
    std::vector<pid_t> children;
    for (int writer = 0; writer < writers; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UpdateConfigStore store(directory(), 500);
            for (int i = 0; i < appendsPerWriter; ++i) {
                UpdateLogEntry appended = entry(i);
                appended.appName = u"writer-%1-%2"_s.arg(writer).arg(i);
                store.appendHistory(appended);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const QStringList names = namesOf(UpdateConfigStore(directory(), 500).loadHistory());
    EXPECT_EQ(names.size(), writers * appendsPerWriter);
    for (int writer = 0; writer < writers; ++writer) {
        SCOPED_TRACE(writer);
        QStringList newestFirst;
        for (int i = appendsPerWriter - 1; i >= 0; --i)
            newestFirst.append(u"writer-%1-%2"_s.arg(writer).arg(i));
        EXPECT_EQ(names.filter(QRegularExpression(u"^writer-%1-"_s.arg(writer))), newestFirst);
    }
}
