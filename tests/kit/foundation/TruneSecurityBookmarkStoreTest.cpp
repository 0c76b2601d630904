#include "kit/foundation/TruneSecurityBookmarkStore.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QVariantMap>

#include <cerrno>
#include <thread>

namespace {

const QString storageKey = QStringLiteral("grantedLocations");

class TruneSecurityBookmarkStoreTest : public ::testing::Test {
protected:
    // A folder below the temporary home, created with its parents.
    QString makeFolder(const QString& relative) const
    {
        const QString path = home.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    QVariant stored() const { return defaults.value(storageKey); }
    QStringList storedPaths() const { return stored().toMap().keys(); }

    static QStringList paths(const std::vector<QUrl>& urls)
    {
        QStringList result;
        for (const QUrl& url : urls)
            result.append(url.toLocalFile());
        return result;
    }

    TempHome home;
    TruneUserDefaults defaults{QStringLiteral("Quorvane"), QStringLiteral("BookmarkTest")};
    TruneSecurityBookmarkStore store{storageKey, defaults};
};

TEST_F(TruneSecurityBookmarkStoreTest, KeysEntriesByStandardizedPathAndResolvesThemInPathOrder)
{
    const QString b = makeFolder(QStringLiteral("Data/b"));
    const QString a2 = makeFolder(QStringLiteral("Data/a2"));
    makeFolder(QStringLiteral("Data/a"));

    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(b)).has_value());
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(home.filePath(QStringLiteral("Data/a/../a2")))).has_value());
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(home.filePath(QStringLiteral("Data/./b/")))).has_value());

    EXPECT_EQ(storedPaths(), (QStringList{a2, b}));
    for (const QVariant& value : stored().toMap())
        EXPECT_EQ(value.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(paths(store.resolveAllBookmarks()), (QStringList{a2, b}));
}

// Text order compares code points of the composed form, not UTF-16 units: U+FF21 comes before
// an emoji, and a decomposed "é" (U+00E9 once composed) after "f".
TEST_F(TruneSecurityBookmarkStoreTest, OrdersPathsByUnicodeCodePoints)
{
    const QString fullwidthA = makeFolder(QStringLiteral("\uFF21"));
    const QString emoji = makeFolder(QStringLiteral("\U0001F600"));
    const QString decomposedE = makeFolder(QStringLiteral("e\u0301"));
    const QString f = makeFolder(QStringLiteral("f"));
    for (const QString& path : {emoji, fullwidthA, decomposedE, f})
        ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(path)).has_value());

    EXPECT_EQ(paths(store.resolveAllBookmarks()), (QStringList{f, decomposedE, fullwidthA, emoji}));
}

TEST_F(TruneSecurityBookmarkStoreTest, AFailedSaveWritesNothing)
{
    const QString kept = makeFolder(QStringLiteral("kept"));
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(kept)).has_value());
    const QVariant before = stored();

    struct Row {
        const char* name;
        QUrl url;
        TruneBookmarkError error;
    };
    const QUrl remote(QStringLiteral("https://example.com/file"));
    const QString missing = home.filePath(QStringLiteral("missing"));
    // The lookup must not stop at the NUL and find the existing folder in front of it.
    const QString withNul = kept + QChar(u'\0') + QStringLiteral("/x");
    const Row rows[] = {
        {"not a file URL", remote, TruneBookmarkError::notAFileURL(remote)},
        {"missing path", QUrl::fromLocalFile(missing), TruneBookmarkError::unreachable(missing, ENOENT)},
        {"NUL in the path", QUrl::fromLocalFile(withNul), TruneBookmarkError::unreachable(withNul, EINVAL)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(store.saveBookmark(row.url), std::unexpected(row.error));
        EXPECT_EQ(stored(), before);
    }
}

TEST(TruneBookmarkError, DescribesItselfInEnglishAndTurkish)
{
    struct Row {
        const char* name;
        TruneBookmarkError error;
        QString english;
        QString turkish;
    };
    const Row rows[] = {
        {"notAFileURL", TruneBookmarkError::notAFileURL(QUrl(QStringLiteral("https://example.com/file"))),
            QStringLiteral("Only files and folders can be bookmarked, not 'https://example.com/file'."),
            QStringLiteral("Yalnızca dosya ve klasörler yer imine eklenebilir; 'https://example.com/file' eklenemez.")},
        {"unreachable", TruneBookmarkError::unreachable(QStringLiteral("/data/missing"), ENOENT),
            QStringLiteral("No bookmark could be created for '/data/missing': No such file or directory"),
            QStringLiteral("'/data/missing' için yer imi oluşturulamadı: No such file or directory")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.description(TruneLanguage::en), row.english);
        EXPECT_EQ(row.error.description(TruneLanguage::tr), row.turkish);
    }
}

TEST_F(TruneSecurityBookmarkStoreTest, EntriesThatNoLongerResolveAreSkippedButKept)
{
    const QString kept = makeFolder(QStringLiteral("kept"));
    const QString gone = makeFolder(QStringLiteral("gone"));
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(kept)).has_value());
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(gone)).has_value());
    ASSERT_TRUE(QDir(gone).removeRecursively());
    QVariantMap entries = stored().toMap();
    entries.insert(home.filePath(QStringLiteral("garbage")), QByteArray("not a bookmark"));
    defaults.setValue(storageKey, entries);

    EXPECT_EQ(paths(store.resolveAllBookmarks()), QStringList{kept});
    EXPECT_EQ(storedPaths().size(), 3);
}

TEST_F(TruneSecurityBookmarkStoreTest, AStoredValueOfAnotherShapeCountsAsEmptyAndIsReplaced)
{
    const QString other = makeFolder(QStringLiteral("other"));
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(other)).has_value());
    const QByteArray validData = stored().toMap().value(other).toByteArray();
    const QString added = makeFolder(QStringLiteral("added"));

    struct Row {
        const char* name;
        QVariant value;
    };
    const Row rows[] = {
        {"text", QStringLiteral("bookmarks")},
        {"list", QVariantList{validData}},
        {"one value of text beside data", QVariantMap{{other, validData}, {added, QStringLiteral("text")}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        defaults.setValue(storageKey, row.value);
        EXPECT_TRUE(store.resolveAllBookmarks().empty());

        store.removeBookmark(home.filePath(QStringLiteral("nowhere")));
        EXPECT_EQ(stored(), QVariant(QVariantMap()));

        defaults.setValue(storageKey, row.value);
        ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(added)).has_value());
        EXPECT_EQ(storedPaths(), QStringList{added});
    }
}

TEST_F(TruneSecurityBookmarkStoreTest, RemovesOnlyTheEntryUnderExactlyThePathGiven)
{
    const QString a2 = makeFolder(QStringLiteral("Data/a2"));
    const QString b = makeFolder(QStringLiteral("Data/b"));
    makeFolder(QStringLiteral("Data/a"));
    const QString unstandardized = home.filePath(QStringLiteral("Data/a/../a2"));
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(unstandardized)).has_value());
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(b)).has_value());

    store.removeBookmark(unstandardized);
    EXPECT_EQ(storedPaths(), (QStringList{a2, b}));

    store.removeBookmark(a2);
    EXPECT_EQ(storedPaths(), QStringList{b});
    EXPECT_EQ(paths(store.resolveAllBookmarks()), QStringList{b});
}

TEST_F(TruneSecurityBookmarkStoreTest, StoresWithOtherKeysShareTheDomainWithoutMeeting)
{
    const QString mine = makeFolder(QStringLiteral("mine"));
    const QString theirs = makeFolder(QStringLiteral("theirs"));
    TruneSecurityBookmarkStore otherStore(QStringLiteral("otherLocations"), defaults);
    ASSERT_TRUE(store.saveBookmark(QUrl::fromLocalFile(mine)).has_value());
    ASSERT_TRUE(otherStore.saveBookmark(QUrl::fromLocalFile(theirs)).has_value());
    otherStore.removeBookmark(mine);

    EXPECT_EQ(paths(store.resolveAllBookmarks()), QStringList{mine});
    EXPECT_EQ(paths(otherStore.resolveAllBookmarks()), QStringList{theirs});
}

TEST_F(TruneSecurityBookmarkStoreTest, ConcurrentSavesThroughOneStoreKeepEveryEntry)
{
    constexpr int threadCount = 8;
    constexpr int foldersPerThread = 10;
    QStringList expected;
    for (int index = 0; index < threadCount * foldersPerThread; ++index)
        expected.append(makeFolder(QStringLiteral("folder-%1").arg(index, 3, 10, QLatin1Char('0'))));

    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&, thread] {
            for (int index = thread; index < expected.size(); index += threadCount)
                EXPECT_TRUE(store.saveBookmark(QUrl::fromLocalFile(expected[index])).has_value());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(storedPaths(), expected);
}

TEST_F(TruneSecurityBookmarkStoreTest, ScopedAccessBracketsTheBodyAndPassesItsResultOn)
{
    const QUrl folder = QUrl::fromLocalFile(makeFolder(QStringLiteral("granted")));

    const int value = store.withScopedAccess(folder, [&] {
        EXPECT_TRUE(TruneSecurityScope::isAccessing(folder));
        return 42;
    });
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(TruneSecurityScope::isAccessing(folder));

    const std::expected<int, QString> failed = store.withScopedAccess(folder, [&]() -> std::expected<int, QString> {
        EXPECT_TRUE(TruneSecurityScope::isAccessing(folder));
        return std::unexpected(QStringLiteral("body failed"));
    });
    EXPECT_EQ(failed, std::unexpected(QStringLiteral("body failed")));
    EXPECT_FALSE(TruneSecurityScope::isAccessing(folder));
}

// The inner start is refused because the folder is gone; a stop from it would end the outer
// access early.
TEST_F(TruneSecurityBookmarkStoreTest, ARefusedStartStillRunsTheBodyAndStopsNothing)
{
    const QString path = makeFolder(QStringLiteral("granted"));
    const QUrl folder = QUrl::fromLocalFile(path);

    bool innerRan = false;
    store.withScopedAccess(folder, [&] {
        ASSERT_TRUE(QDir(path).removeRecursively());
        innerRan = store.withScopedAccess(folder, [] { return true; });
        EXPECT_TRUE(TruneSecurityScope::isAccessing(folder));
    });
    EXPECT_TRUE(innerRan);
    EXPECT_FALSE(TruneSecurityScope::isAccessing(folder));

    const QUrl remote(QStringLiteral("https://example.com/file"));
    EXPECT_EQ(store.withScopedAccess(remote, [] { return QStringLiteral("ran"); }), QStringLiteral("ran"));
}

} // namespace
