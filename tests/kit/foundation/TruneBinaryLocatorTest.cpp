#include "kit/foundation/TruneBinaryLocator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

namespace {

// A tool name no system directory holds.
const QString tool = QStringLiteral("trune-locator-probe");

// Sets PATH for the life of the object (or removes it), then restores it.
class PathVariable final {
public:
    explicit PathVariable(const std::optional<QByteArray>& value)
        : m_saved(qEnvironmentVariableIsSet("PATH") ? std::optional(qgetenv("PATH")) : std::nullopt)
    {
        set(value);
    }
    ~PathVariable() { set(m_saved); }
    PathVariable(const PathVariable&) = delete;
    PathVariable& operator=(const PathVariable&) = delete;

private:
    static void set(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv("PATH", *value);
        else
            qunsetenv("PATH");
    }

    std::optional<QByteArray> m_saved;
};

// Folders in a temporary directory, each made on demand, that may hold the probe.
class Folders final {
public:
    QString path(const QString& name) const { return m_root.filePath(name); }

    // Writes the probe into the folder, executable unless asked otherwise; returns its path.
    QString addTool(const QString& folder, bool executable = true) const
    {
        QDir().mkpath(path(folder));
        const QString file = path(folder) + QLatin1Char('/') + tool;
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("#!/bin/sh\n");
        out.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        out.setPermissions(permissions);
        return file;
    }

    TruneBundle bundle() const { return TruneBundle({}, path(QStringLiteral("resources"))); }

private:
    QTemporaryDir m_root;
};

TEST(TruneBinaryLocator, TakesTheFirstPlaceInSearchOrder)
{
    // Each row puts the probe in the listed folders; the first one listed must win.
    const QString resourcesBin = QStringLiteral("resources/bin");
    const QString resources = QStringLiteral("resources");
    const QString extraA = QStringLiteral("extraA");
    const QString extraB = QStringLiteral("extraB");
    const QString pathA = QStringLiteral("pathA");
    const QString pathB = QStringLiteral("pathB");
    const QList<QStringList> rows{
        {resourcesBin, resources, extraA, pathA},
        {resources, extraA, pathA},
        {extraA, extraB, pathA},
        {extraB, pathA},
        {pathA, pathB},
        {pathB},
    };
    for (const QStringList& holders : rows) {
        SCOPED_TRACE(holders.join(QLatin1Char(',')).toStdString());
        Folders folders;
        for (const QString& holder : holders)
            folders.addTool(holder);
        // Empty entries, also doubled ones, are skipped.
        const PathVariable path(
            (QStringLiteral("::") + folders.path(pathA) + QStringLiteral("::") + folders.path(pathB) + QLatin1Char(':'))
                .toUtf8());
        const auto found
            = TruneBinaryLocator::locate(tool, folders.bundle(), {folders.path(extraA), folders.path(extraB)});
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, folders.path(holders.first()) + QLatin1Char('/') + tool);
    }
}

TEST(TruneBinaryLocator, FixedSystemFoldersComeBeforePathButAfterExtraFolders)
{
    Folders folders;
    const QString inPath = folders.addTool(QStringLiteral("path"));
    QFile::link(QStringLiteral("/bin/sh"), folders.path(QStringLiteral("path/sh")));
    const PathVariable path(folders.path(QStringLiteral("path")).toUtf8());

    const auto system = TruneBinaryLocator::locate(QStringLiteral("sh"), folders.bundle(), {});
    ASSERT_TRUE(system.has_value());
    EXPECT_TRUE(*system == QStringLiteral("/usr/bin/sh") || *system == QStringLiteral("/bin/sh"))
        << system->toStdString();

    const auto extra
        = TruneBinaryLocator::locate(QStringLiteral("sh"), folders.bundle(), {folders.path(QStringLiteral("path"))});
    EXPECT_EQ(extra, folders.path(QStringLiteral("path/sh")));
    EXPECT_EQ(TruneBinaryLocator::locate(tool, folders.bundle(), {}), inPath);
}

TEST(TruneBinaryLocator, GivenPlacesOnlyLeavesOutSystemFoldersAndPath)
{
    Folders folders;
    folders.addTool(QStringLiteral("path"));
    const PathVariable path(folders.path(QStringLiteral("path")).toUtf8());
    const QStringList extra{folders.path(QStringLiteral("extra"))};
    using TruneBinaryLocator::Reach;

    // "sh" lies in a system folder, the probe on PATH: neither is reached.
    for (const QString& name : {QStringLiteral("sh"), tool})
        EXPECT_EQ(TruneBinaryLocator::locate(name, folders.bundle(), extra, Reach::givenPlacesOnly), std::nullopt);
    // The bundle and the extra folders still count.
    const QString inExtra = folders.addTool(QStringLiteral("extra"));
    EXPECT_EQ(TruneBinaryLocator::locate(tool, folders.bundle(), extra, Reach::givenPlacesOnly), inExtra);
    const QString inBundle = folders.addTool(QStringLiteral("resources/bin"));
    EXPECT_EQ(TruneBinaryLocator::locate(tool, folders.bundle(), extra, Reach::givenPlacesOnly), inBundle);
}

TEST(TruneBinaryLocator, PassesOverWhatCannotBeStarted)
{
    Folders folders;
    folders.addTool(QStringLiteral("resources/bin"), false);          // not executable
    QDir().mkpath(folders.path(QStringLiteral("resources/") + tool)); // a directory
    QDir().mkpath(folders.path(QStringLiteral("extra")));
    QFile::link(folders.path(QStringLiteral("nowhere")), folders.path(QStringLiteral("extra/") + tool)); // dangling
    const QString target = folders.addTool(QStringLiteral("real"));
    QDir().mkpath(folders.path(QStringLiteral("linked")));
    QFile::link(target, folders.path(QStringLiteral("linked/") + tool));
    const PathVariable path(std::nullopt);

    const auto found = TruneBinaryLocator::locate(
        tool, folders.bundle(), {folders.path(QStringLiteral("extra")), folders.path(QStringLiteral("linked"))});
    // A link to an executable file counts; the link's own path is returned.
    EXPECT_EQ(found, folders.path(QStringLiteral("linked/") + tool));
}

TEST(TruneBinaryLocator, FindsNothingWhenNoPlaceHoldsTheTool)
{
    Folders folders;
    folders.addTool(QStringLiteral("path"));
    struct Row {
        const char* name;
        std::optional<QByteArray> path;
    };
    const Row rows[] = {
        {"no PATH variable", std::nullopt},
        {"empty PATH entries", QByteArray("::")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PathVariable path(row.path);
        EXPECT_EQ(TruneBinaryLocator::locate(tool, folders.bundle(), {folders.path(QStringLiteral("missing"))}),
            std::nullopt);
    }
}

} // namespace
