#include "kit/foundation/TruneLaunchAtLogin.h"

#include "tests/support/TempHome.h"
#include "tests/support/TinyFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

QString entryPath(const TempHome& home)
{
    return home.configHome() + QStringLiteral("/autostart/com.quorvane.truneupdate.desktop");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QString thisExecutable()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// The Exec line of the entry the program writes for itself.
QByteArray ownExecLine(const TempHome& home)
{
    const QByteArray entry = readFile(entryPath(home));
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("Exec="))
            return line;
    }
    return {};
}

} // namespace

TEST(TruneLaunchAtLoginTest, EnablingWritesAnAutostartEntryThatStartsThisProgram)
{
    const TempHome home;
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled());

    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_TRUE(TruneLaunchAtLogin::isEnabled());
    EXPECT_EQ(readFile(entryPath(home)),
        QByteArray("[Desktop Entry]\nType=Application\nName=TruneUpdate\nExec=\"") + thisExecutable().toUtf8()
            + "\"\n");

    // Registering again is one more write with the same outcome.
    EXPECT_TRUE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_TRUE(TruneLaunchAtLogin::isEnabled());
    EXPECT_EQ(QDir(home.configHome() + QStringLiteral("/autostart")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(TruneLaunchAtLoginTest, DisablingRemovesTheEntryAndSucceedsWhenThereIsNone)
{
    const TempHome home;
    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true));

    EXPECT_TRUE(TruneLaunchAtLogin::setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(entryPath(home)));
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled());
    EXPECT_TRUE(TruneLaunchAtLogin::setEnabled(false));
}

// Entries the desktop would not start this program from: hidden or switched off by the user or
// a settings tool, left by a copy of the program elsewhere, or not an application entry at all.
TEST(TruneLaunchAtLoginTest, AnEntryThatWouldNotStartThisProgramIsNotEnabled)
{
    const TempHome home;
    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true));
    const QByteArray exec = ownExecLine(home);
    ASSERT_FALSE(exec.isEmpty());

    struct Case {
        const char* name;
        QByteArray entry;
        bool enabled;
    };
    const Case cases[] = {
        {"ours, with comments and spaces", "# login item\n[Desktop Entry]\nType = Application\n" + exec + "\n", true},
        {"hidden", "[Desktop Entry]\nType=Application\nHidden=true\n" + exec + "\n", false},
        {"switched off", "[Desktop Entry]\nType=Application\nX-GNOME-Autostart-enabled=false\n" + exec + "\n", false},
        {"another copy", "[Desktop Entry]\nType=Application\nExec=\"/opt/old/truneupdate\"\n", false},
        {"not an application", "[Desktop Entry]\nType=Link\n" + exec + "\n", false},
        {"keys of another group", "[Desktop Action Open]\nType=Application\n" + exec + "\n", false},
        {"no group", "Type=Application\n" + exec + "\n", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(entryPath(home), c.entry);
        EXPECT_EQ(TruneLaunchAtLogin::isEnabled(), c.enabled);
    }
}

TEST(TruneLaunchAtLoginTest, AChangeTheFileSystemRefusesReportsFailure)
{
    const TempHome home;
    // A file where the autostart folder belongs.
    writeFile(home.configHome() + QStringLiteral("/autostart"), "not a folder");
    EXPECT_FALSE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled());

    // A folder where the entry belongs: it cannot be removed as an entry.
    QFile::remove(home.configHome() + QStringLiteral("/autostart"));
    ASSERT_TRUE(QDir().mkpath(entryPath(home)));
    EXPECT_FALSE(TruneLaunchAtLogin::setEnabled(false));
    EXPECT_FALSE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled());
}

TEST(TruneLaunchAtLoginTest, AFullDiskReportsFailureAndKeepsTheEntry)
{
    const TempHome home;
    const TinyFileSystem disk(home.configHome());
    if (!disk.isMounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true));
    const QByteArray entry = readFile(entryPath(home));
    ASSERT_TRUE(disk.fill());

    EXPECT_FALSE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_EQ(readFile(entryPath(home)), entry);
    EXPECT_TRUE(TruneLaunchAtLogin::isEnabled());
    EXPECT_EQ(QDir(home.configHome() + u"/autostart"_s).entryList(QDir::Files | QDir::Hidden),
        QStringList{u"com.quorvane.truneupdate.desktop"_s});
}

namespace {

// An install in a temporary prefix: bin/truneupdate is a link to this test executable (as a link
// farm or a moved tree leaves it), and the data folder share/truneupdate holds the install's
// record of where it put the program.
class InstalledCopy final {
public:
    InstalledCopy()
    {
        EXPECT_TRUE(QDir().mkpath(m_prefix.filePath(u"bin"_s)));
        EXPECT_TRUE(QDir().mkpath(dataFolder()));
        EXPECT_TRUE(QFile::link(thisExecutable(), program()));
    }

    QString program() const { return m_prefix.filePath(u"bin/truneupdate"_s); }
    QString dataFolder() const { return m_prefix.filePath(u"share/truneupdate"_s); }
    void record(const QByteArray& text) const { writeFile(dataFolder() + u"/installed-program.txt"_s, text); }
    TruneBundle bundle() const
    {
        return TruneBundle({{u"CFBundleIdentifier"_s, u"com.quorvane.truneupdate"_s}}, dataFolder());
    }

private:
    QTemporaryDir m_prefix;
};

} // namespace

// Run from an install, the entry starts the installed program by the path the install chose; any
// other record (another copy, a damaged one) leaves it starting this executable.
TEST(TruneLaunchAtLoginTest, FromAnInstallTheEntryStartsTheInstalledProgram)
{
    const TempHome home;
    const InstalledCopy install;
    const QString otherCopy = install.dataFolder() + u"/truneupdate"_s;
    writeFile(otherCopy, "another copy");

    struct Case {
        const char* name;
        std::optional<QByteArray> record;
        QString started;
    };
    const Case cases[] = {
        {"the installed program", install.program().toUtf8() + "\n", install.program()},
        {"no record: a build folder", std::nullopt, thisExecutable()},
        {"another copy", otherCopy.toUtf8() + "\n", thisExecutable()},
        {"a path that leads nowhere", "/nowhere/bin/truneupdate\n", thisExecutable()},
        {"a relative path", "bin/truneupdate\n", thisExecutable()},
        {"two lines", install.program().toUtf8() + "\n" + otherCopy.toUtf8() + "\n", thisExecutable()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(install.dataFolder() + u"/installed-program.txt"_s);
        if (c.record)
            install.record(*c.record);

        ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true, install.bundle()));
        EXPECT_EQ(ownExecLine(home), "Exec=\"" + c.started.toUtf8() + "\"");
        EXPECT_TRUE(TruneLaunchAtLogin::isEnabled(install.bundle()));

        EXPECT_TRUE(TruneLaunchAtLogin::setEnabled(false, install.bundle()));
        EXPECT_FALSE(QFileInfo::exists(entryPath(home)));
        EXPECT_FALSE(TruneLaunchAtLogin::isEnabled(install.bundle()));
    }
}

// The entry left by the program run from its build folder does not count for the installed one,
// and the other way round: each would start a different program.
TEST(TruneLaunchAtLoginTest, TheEntryCountsOnlyForTheProgramItStarts)
{
    const TempHome home;
    const InstalledCopy install;
    install.record(install.program().toUtf8() + "\n");

    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true));
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled(install.bundle()));

    ASSERT_TRUE(TruneLaunchAtLogin::setEnabled(true, install.bundle()));
    EXPECT_TRUE(TruneLaunchAtLogin::isEnabled(install.bundle()));
    EXPECT_FALSE(TruneLaunchAtLogin::isEnabled());
}
