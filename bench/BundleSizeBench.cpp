// Measures the sizes of every bundle in a synthetic Applications folder the way the program does
// after a scan (6 walks at a time, cold size cache), compares that with `du -s` over the same
// bundles, and times a rescan served by the cache.
//
//   bench_bundle_sizes [folder] [--bundles N] [--files N] [--runs N]
//
// Without a folder a temporary one is generated and removed afterwards. A given folder is
// generated once and reused by later runs with the same bundle and file counts. The page cache is
// warm for every contender: the folder is walked once before any timing.
#include "bench/BenchSupport.h"
#include "core/inventory/FastDirectorySizeReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kConcurrentWalks = 6;

struct Options {
    QString folder;
    int bundles = 300;
    int files = 300000;
    int runs = 5;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments,
            {{QLatin1String("--bundles"), &options.bundles}, {QLatin1String("--files"), &options.files},
                {QLatin1String("--runs"), &options.runs}},
            &options.folder))
        return std::nullopt;
    return options;
}

// Builds app bundles shaped like real ones: executables, localized resources, frameworks with
// versioned layouts and their symbolic links, and plug-ins.
class BundleGenerator final {
public:
    explicit BundleGenerator(unsigned seed)
        : m_random(seed)
    {
    }

    qint64 filesWritten() const { return m_files; }

    void makeBundle(const QString& bundle, int fileBudget)
    {
        const QString contents = bundle + QStringLiteral("/Contents");
        const QString name = QFileInfo(bundle).completeBaseName();
        writeFile(contents + QStringLiteral("/Info.plist"));
        writeFile(contents + QStringLiteral("/PkgInfo"));
        writeFile(contents + QStringLiteral("/MacOS/") + name);
        writeFile(contents + QStringLiteral("/_CodeSignature/CodeResources"));
        const int budget = std::max(0, fileBudget - 4);

        makeLocalizations(contents + QStringLiteral("/Resources"), budget / 4, 20);
        makeFlatResources(contents + QStringLiteral("/Resources"), budget / 5);
        const int frameworkBudget = budget * 9 / 20;
        const int frameworks = std::max(1, frameworkBudget / 150);
        for (int index = 0; index < frameworks; ++index)
            makeFramework(contents + QStringLiteral("/Frameworks/Kit%1.framework").arg(index),
                QStringLiteral("Kit%1").arg(index), frameworkBudget / frameworks);
        const int pluginBudget = budget - budget / 4 - budget / 5 - frameworkBudget;
        const QString plugin = contents + QStringLiteral("/PlugIns/Extension.appex/Contents");
        writeFile(plugin + QStringLiteral("/Info.plist"));
        writeFile(plugin + QStringLiteral("/MacOS/Extension"));
        makeLocalizations(plugin + QStringLiteral("/Resources"), std::max(0, pluginBudget - 2), 5);
    }

private:
    void makeLocalizations(const QString& resources, int budget, int languages)
    {
        static const char* const names[] = {"en", "tr", "de", "fr", "es", "it", "ja", "ko", "zh-Hans", "zh-Hant",
            "pt-BR", "pt-PT", "ru", "pl", "nl", "sv", "da", "fi", "nb", "ar"};
        const int perLanguage = budget / languages;
        for (int language = 0; language < languages; ++language) {
            const QString folder
                = resources + QLatin1Char('/') + QLatin1String(names[language]) + QStringLiteral(".lproj");
            for (int index = 0; index < perLanguage; ++index)
                writeFile(folder
                    + QStringLiteral("/Strings%1.%2")
                          .arg(index)
                          .arg(index % 3 ? QStringLiteral("strings") : QStringLiteral("nib")));
        }
    }

    void makeFlatResources(const QString& resources, int budget)
    {
        for (int index = 0; index < budget; ++index) {
            const QString folder = index % 2 ? resources : resources + QStringLiteral("/Images/Set%1").arg(index / 64);
            writeFile(folder + QStringLiteral("/image%1.png").arg(index));
        }
    }

    void makeFramework(const QString& framework, const QString& name, int budget)
    {
        const QString version = framework + QStringLiteral("/Versions/A");
        writeFile(version + QLatin1Char('/') + name);
        writeFile(version + QStringLiteral("/Resources/Info.plist"));
        const int headers = budget / 3;
        for (int index = 0; index < headers; ++index)
            writeFile(version + QStringLiteral("/Headers/%1Part%2.h").arg(name).arg(index));
        makeLocalizations(version + QStringLiteral("/Resources"), std::max(0, budget - headers - 2), 10);
        makeSymlink(QStringLiteral("A"), framework + QStringLiteral("/Versions/Current"));
        makeSymlink(QStringLiteral("Versions/Current/") + name, framework + QLatin1Char('/') + name);
        makeSymlink(QStringLiteral("Versions/Current/Resources"), framework + QStringLiteral("/Resources"));
        makeSymlink(QStringLiteral("Versions/Current/Headers"), framework + QStringLiteral("/Headers"));
    }

    // Most files of a bundle are small; a few are large. Large ones keep one written block and are
    // sparse beyond it, so the folder stays small on disk while every walk does the same work.
    void writeFile(const QString& path)
    {
        const QString folder = QFileInfo(path).path();
        if (folder != m_lastFolder) {
            QDir().mkpath(folder);
            m_lastFolder = folder;
        }
        const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        const std::size_t written = std::uniform_int_distribution<std::size_t>(1, 4000)(m_random);
        const QByteArray data(static_cast<qsizetype>(written), 'x');
        if (write(fd, data.constData(), written) < 0 || (m_random() % 20 == 0 && ftruncate(fd, 1 << 20) != 0))
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        close(fd);
        ++m_files;
    }

    static void makeSymlink(const QString& target, const QString& path)
    {
        if (symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0 && errno != EEXIST)
            std::fprintf(stderr, "could not link %s\n", qPrintable(path));
    }

    std::mt19937 m_random;
    QString m_lastFolder;
    qint64 m_files = 0;
};

QString readyMarker(const QString& folder, const Options& options)
{
    return folder + QStringLiteral("/.bench-ready-%1-%2").arg(options.bundles).arg(options.files);
}

void generateApplicationsFolder(const QString& folder, const Options& options)
{
    if (QFile::exists(readyMarker(folder, options))) {
        std::printf("reusing %s\n", qPrintable(folder));
        return;
    }
    std::printf(
        "generating %d bundles with about %d files in %s ...\n", options.bundles, options.files, qPrintable(folder));
    std::fflush(stdout);
    // Bundle sizes spread like real ones: many small apps, a few very large ones.
    std::mt19937 random(2024);
    std::lognormal_distribution<double> spread(0.0, 1.0);
    std::vector<double> weights(static_cast<std::size_t>(options.bundles));
    std::generate(weights.begin(), weights.end(), [&] { return spread(random); });
    const double totalWeight = std::accumulate(weights.begin(), weights.end(), 0.0);

    QElapsedTimer timer;
    timer.start();
    qint64 files = 0;
    for (int index = 0; index < options.bundles; ++index) {
        BundleGenerator generator(static_cast<unsigned>(index));
        const int budget = static_cast<int>(options.files * weights[static_cast<std::size_t>(index)] / totalWeight);
        generator.makeBundle(folder + QStringLiteral("/App%1.app").arg(index, 3, 10, QLatin1Char('0')), budget);
        files += generator.filesWritten();
    }
    QFile marker(readyMarker(folder, options));
    marker.open(QIODevice::WriteOnly);
    std::printf("generated %lld files in %.1f s\n", static_cast<long long>(files),
        static_cast<double>(timer.elapsed()) / 1000.0);
}

QStringList bundlesIn(const QString& folder)
{
    QStringList bundles;
    for (const QString& name :
        QDir(folder).entryList({QStringLiteral("*.app")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        bundles.append(folder + QLatin1Char('/') + name);
    return bundles;
}

// Bytes `du` reports for the given paths, summed over its output lines.
qint64 runDu(const QStringList& paths)
{
    QProcess du;
    du.start(QStringLiteral("du"), QStringList{QStringLiteral("-s"), QStringLiteral("-B1")} + paths);
    du.waitForFinished(-1);
    qint64 total = 0;
    for (const QByteArray& line : du.readAllStandardOutput().split('\n'))
        total += line.split('\t').first().toLongLong();
    return total;
}

template <typename Item, typename Measure>
qint64 sumConcurrently(QThreadPool& pool, const QList<Item>& items, Measure measure)
{
    const QList<qint64> sizes = QtConcurrent::blockingMapped(&pool, items, measure);
    return std::accumulate(sizes.begin(), sizes.end(), qint64{0});
}

// One way of measuring every bundle: its timings over the runs and the total of its last run.
struct Contender {
    const char* label;
    std::function<qint64()> work;
    std::vector<double> seconds{};
    qint64 bytes = 0;

    void run()
    {
        QElapsedTimer timer;
        timer.start();
        bytes = work();
        seconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }

    double medianSeconds() const
    {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_bundle_sizes [folder] [--bundles N] [--files N] [--runs N]\n");
        return 2;
    }
    std::optional<QTemporaryDir> temporary;
    if (options->folder.isEmpty())
        temporary.emplace();
    const QString folder = temporary ? temporary->path() : QDir(options->folder).absolutePath();
    QDir().mkpath(folder);
    generateApplicationsFolder(folder, *options);
    const QStringList bundles = bundlesIn(folder);

    QThreadPool pool;
    pool.setMaxThreadCount(kConcurrentWalks);
    const auto measureCached
        = [](const QString& bundle) { return FastDirectorySizeReader::allocatedSize(bundle, true); };
    const auto duOne = [](const QString& bundle) { return runDu({bundle}); };

    // The strongest du baseline: as many processes as the reader has walks, each over every
    // sixth bundle, so process start-up is paid six times only.
    QList<QStringList> shares(kConcurrentWalks);
    for (qsizetype index = 0; index < bundles.size(); ++index)
        shares[index % kConcurrentWalks].append(bundles[index]);
    const auto duShare = [](const QStringList& share) { return runDu(share); };

    // In the order they run within each round; the first two run right after the size cache is
    // emptied, so the first walks every bundle and the second is served by the cache.
    std::vector<Contender> contenders = {
        {"size reader, 6 walks at a time, cold size cache",
            [&] { return sumConcurrently(pool, bundles, measureCached); }},
        {"size reader rescan, warm size cache", [&] { return sumConcurrently(pool, bundles, measureCached); }},
        {"du -s, one process per bundle, 6 at a time", [&] { return sumConcurrently(pool, bundles, duOne); }},
        {"du -s, 6 processes at once, each over a sixth", [&] { return sumConcurrently(pool, shares, duShare); }},
        {"du -s, one process per bundle, one after another",
            [&] {
                qint64 total = 0;
                for (const QString& bundle : bundles)
                    total += runDu({bundle});
                return total;
            }},
        {"du -s, one process over all bundles", [&] { return runDu(bundles); }},
    };

    runDu({folder}); // warms the page cache for every contender
    for (int run = 0; run < options->runs; ++run) {
        FastDirectorySizeReader::clearCache();
        for (Contender& contender : contenders)
            contender.run();
    }

    const double oursSeconds = contenders.front().medianSeconds();
    std::printf("\n%lld bundles, %u hardware threads, page cache warm, medians of %d runs\n",
        static_cast<long long>(bundles.size()), std::thread::hardware_concurrency(), options->runs);
    std::printf("  %-52s %10s  %8s  %20s\n", "", "time", "vs ours", "total");
    for (const Contender& contender : contenders) {
        const double seconds = contender.medianSeconds();
        std::printf("  %-52s %8.3f s  %7.2fx  %14lld bytes\n", contender.label, seconds, seconds / oursSeconds,
            static_cast<long long>(contender.bytes));
    }
    std::printf("(du counts directory blocks as well and each hard-linked file once; the reader counts files only)\n");
    return 0;
}
