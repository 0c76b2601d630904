// Times the leftover scan for one app over a generated Library of about 50,000 entries, with a
// cold and a warm size cache, beside `find <Library> -maxdepth 3 -iname '*<bundle id>*'` (run as
// a process, as a user would) on the same folder. The Library lies in a temporary home that HOME
// points to while the bench runs, since the scan lists nothing outside the home folder; a scan
// that finds nothing there fails the bench rather than timing an empty walk.
//
//   bench_leftover_scan [--apps N] [--extra N] [--runs N]
//
// --apps is the number of apps that left files in every scanned folder (about 43 entries each),
// --extra the number of further entries in folders the scan never lists. The page cache of the
// Library is warm before any timing; the last line compares the cold scan with find.
#include "bench/BenchSupport.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

struct Options {
    int apps = 850;
    int extra = 7500;
    int runs = 9;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments,
            {{QLatin1String("--apps"), &options.apps}, {QLatin1String("--extra"), &options.extra},
                {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

QString bundleIDOf(int app)
{
    return QStringLiteral("com.example.app%1").arg(app, 5, 10, QLatin1Char('0'));
}

QString nameOf(int app)
{
    return QStringLiteral("Example App %1").arg(app, 5, 10, QLatin1Char('0'));
}

// Writes the files and counts every entry made, folders included.
class LibraryWriter {
public:
    explicit LibraryWriter(QString root)
        : m_root(std::move(root))
    {
    }

    void file(const QString& relative, int bytes = 100)
    {
        BundleMaker::writeFile(m_root + QLatin1Char('/') + relative, QByteArray(bytes, 'x'));
        countEntries(relative);
    }

    qsizetype entryCount() const { return m_entries.size(); }

private:
    void countEntries(const QString& relative)
    {
        for (qsizetype slash = relative.indexOf(QLatin1Char('/')); slash >= 0;
             slash = relative.indexOf(QLatin1Char('/'), slash + 1))
            m_entries.insert(relative.first(slash));
        m_entries.insert(relative);
    }

    QString m_root;
    QSet<QString> m_entries;
};

void generateApp(LibraryWriter& library, int app)
{
    const QString id = bundleIDOf(app);
    const QString name = nameOf(app);
    for (int file = 0; file < 5; ++file) {
        library.file(QStringLiteral("Application Support/%1/state%2.json").arg(name).arg(file), 2000);
        library.file(QStringLiteral("Application Support/%1/Data/blob%2.bin").arg(name).arg(file), 9000);
    }
    for (int file = 0; file < 10; ++file)
        library.file(QStringLiteral("Caches/%1/Cache%2.db").arg(id).arg(file), 5000);
    library.file(QStringLiteral("Preferences/%1.plist").arg(id));
    library.file(QStringLiteral("Containers/%1/Data/Library/Preferences/%1.plist").arg(id));
    library.file(QStringLiteral("Group Containers/ABCDE12345.%1/shared.db").arg(id));
    library.file(QStringLiteral("Group Containers/ABCDE12345.%1/shared.db-wal").arg(id));
    library.file(QStringLiteral("Logs/%1/run.log").arg(name));
    library.file(QStringLiteral("Logs/%1/run.1.log").arg(name));
    library.file(QStringLiteral("Saved Application State/%1.savedState/windows.plist").arg(id));
    library.file(QStringLiteral("HTTPStorages/%1/httpstorages.sqlite").arg(id));
    library.file(QStringLiteral("WebKit/%1/WebsiteData/LocalStorage/origins").arg(id));
    if (app % 10 == 0)
        library.file(QStringLiteral("LaunchAgents/%1.agent.plist").arg(id));
}

// Folders of a real Library that the scan never lists, some of them deep.
void generateExtra(LibraryWriter& library, int count)
{
    const QString folders[] = {QStringLiteral("Mail/V10/Mailboxes/INBOX.mbox/Messages"),
        QStringLiteral("Developer/Xcode/DerivedData/Build/Intermediates"), QStringLiteral("Fonts"),
        QStringLiteral("Mobile Documents/iCloud/Documents"), QStringLiteral("Metadata/CoreSpotlight/index")};
    for (int index = 0; index < count; ++index)
        library.file(QStringLiteral("%1/item%2/entry").arg(folders[index % 5]).arg(index / 2));
}

// The number of lines `find` printed.
qsizetype runFind(const QStringList& arguments)
{
    QProcess find;
    find.start(QStringLiteral("find"), arguments);
    find.waitForFinished(-1);
    return find.readAllStandardOutput().count('\n');
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_leftover_scan [--apps N] [--extra N] [--runs N]\n");
        return 2;
    }
    const TempHome home;
    const QString libraryRoot = home.filePath(QStringLiteral("Library"));
    LibraryWriter library(libraryRoot);
    for (int app = 0; app < options->apps; ++app)
        generateApp(library, app);
    generateExtra(library, options->extra);

    const int target = options->apps / 20 * 10; // one with a launch agent, so all ten folders hold some
    const QString id = bundleIDOf(target);
    const QString name = nameOf(target);
    const QStringList findArguments{libraryRoot, QStringLiteral("-maxdepth"), QStringLiteral("3"),
        QStringLiteral("-iname"), QLatin1Char('*') + id + QLatin1Char('*')};
    const QStringList spawnOnlyArguments{home.path(), QStringLiteral("-maxdepth"), QStringLiteral("0")};

    std::size_t found = 0;
    qint64 totalBytes = 0;
    const auto scan = [&] {
        const std::vector<LeftoverFileItem> items = AppLeftoverScanner::scanLeftovers(name, id, libraryRoot);
        found = items.size();
        totalBytes = 0;
        for (const LeftoverFileItem& item : items)
            totalBytes += item.sizeBytes;
    };
    qsizetype findMatches = runFind(findArguments); // warms the page cache
    scan();
    if (found == 0) {
        std::fprintf(stderr, "the leftover scan found nothing of %s in %s\n", qPrintable(id), qPrintable(libraryRoot));
        return 1;
    }

    std::vector<double> coldScans, warmScans, finds, spawns;
    for (int run = 0; run < options->runs; ++run) {
        FastDirectorySizeReader::clearCache();
        coldScans.push_back(secondsOf(scan));
        warmScans.push_back(secondsOf(scan));
        finds.push_back(secondsOf([&] { findMatches = runFind(findArguments); }));
        spawns.push_back(secondsOf([&] { runFind(spawnOnlyArguments); }));
    }

    const double cold = median(coldScans);
    const double warm = median(warmScans);
    const double findSeconds = median(finds);
    const double spawnSeconds = median(spawns);
    std::printf(
        "Library of %lld entries (%d apps with leftovers, %d further entries), page cache warm, medians of %d runs\n",
        static_cast<long long>(library.entryCount()), options->apps, options->extra, options->runs);
    std::printf("  leftover scan, cold size cache        %8.3f ms  (%zu items, %lld bytes)\n", cold * 1e3, found,
        static_cast<long long>(totalBytes));
    std::printf("  leftover scan, warm size cache        %8.3f ms\n", warm * 1e3);
    std::printf("  find -maxdepth 3 -iname '*id*'        %8.3f ms  (%lld paths; process start %.3f ms of it)\n",
        findSeconds * 1e3, static_cast<long long>(findMatches), spawnSeconds * 1e3);
    std::printf("anchor find -maxdepth 3 -iname %.3f ms, ours leftover scan (cold size cache) %.3f ms, %zu items, "
                "ratio %.2f\n",
        findSeconds * 1e3, cold * 1e3, found, cold / findSeconds);
    return 0;
}
