#include "kit/foundation/TrunePrivateFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <cerrno>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat status { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

void makeFolder(const QString& path, mode_t mode)
{
    ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

} // namespace

TEST(TrunePrivateFolderTest, MakePathMakesOnlyTheMissingFoldersPrivate)
{
    const QTemporaryDir root;
    const QString existing = root.filePath(u"existing"_s);
    makeFolder(existing, 0755);
    const QString deepest = existing + u"/a/b/c"_s;

    EXPECT_EQ(TrunePrivateFolder::makePath(deepest + u"/"_s), std::nullopt);
    for (const QString& made : {existing + u"/a"_s, existing + u"/a/b"_s, deepest})
        EXPECT_EQ(modeOf(made), 0700u) << made.toStdString();
    EXPECT_EQ(modeOf(existing), 0755u);
    EXPECT_EQ(TrunePrivateFolder::makePath(deepest), std::nullopt); // again: nothing to do

    const QString file = root.filePath(u"file"_s);
    QFile(file).open(QIODevice::WriteOnly);
    const std::optional<TruneFileError> failure = TrunePrivateFolder::makePath(file + u"/below"_s);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->path, file + u"/below"_s);
    EXPECT_EQ(failure->code, ENOTDIR);
}

// A folder of this user is made private; a link, a file or another user's folder is refused and
// left as it is.
TEST(TrunePrivateFolderTest, EnsureRepairsOrRefuses)
{
    const QTemporaryDir root;
    const QString target = root.filePath(u"target"_s);
    makeFolder(target, 0755);

    struct Case {
        const char* name;
        std::function<void(const QString&)> prepare;
        std::optional<int> refusal; // errno when refused
        bool isPrivateBefore;
    };
    const Case cases[] = {
        {"missing", [](const QString&) {}, std::nullopt, false},
        {"private", [](const QString& path) { makeFolder(path, 0700); }, std::nullopt, true},
        {"open to all", [](const QString& path) { makeFolder(path, 0777); }, std::nullopt, false},
        {"readable by the group", [](const QString& path) { makeFolder(path, 0750); }, std::nullopt, false},
        {"a link to a folder", [&](const QString& path) { QFile::link(target, path); }, ENOTDIR, false},
        {"a file", [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); }, ENOTDIR, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = root.filePath(QString::fromUtf8(c.name));
        c.prepare(path);
        const mode_t before = modeOf(path);
        EXPECT_EQ(TrunePrivateFolder::isPrivate(path), c.isPrivateBefore);

        const std::optional<TruneFileError> failure = TrunePrivateFolder::ensure(path);

        EXPECT_EQ(failure ? std::optional(failure->code) : std::nullopt, c.refusal);
        EXPECT_EQ(TrunePrivateFolder::isPrivate(path), !c.refusal);
        if (c.refusal) {
            EXPECT_EQ(modeOf(path), before);
            EXPECT_EQ(failure->path, path);
        } else {
            EXPECT_EQ(modeOf(path), 0700u);
        }
    }
    EXPECT_EQ(modeOf(target), 0755u);
    EXPECT_FALSE(TrunePrivateFolder::isPrivate(u"relative"_s));
}

TEST(TrunePrivateFolderTest, EnsureRefusesAnotherUsersFolder)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a folder that belongs to another user";
    const passwd* nobody = ::getpwnam("nobody");
    const QTemporaryDir root;
    const QString foreign = root.filePath(u"foreign"_s);
    makeFolder(foreign, 0777);
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), nobody ? nobody->pw_uid : 65534,
                  nobody ? nobody->pw_gid : 65534),
        0);

    const std::optional<TruneFileError> failure = TrunePrivateFolder::ensure(foreign);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->code, EPERM);
    EXPECT_EQ(modeOf(foreign), 0777u);
    EXPECT_FALSE(TrunePrivateFolder::isPrivate(foreign));
}
