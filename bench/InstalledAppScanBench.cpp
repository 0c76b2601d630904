// Times the installed-app scan over a generated Applications folder the way the program runs it:
// a full scan without sizes (8 inspections at a time), then a scan that measures sizes with a cold
// size cache, then the same with the cache warm.
//
//   bench_installed_app_scan [--bundles N] [--files N] [--runs N]
//
// --files is the number of resource files per bundle. The folder is temporary; its page cache is
// warm before any timing.
#include "bench/BenchSupport.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/InstalledAppScanner.h"
#include "tests/support/BundleMaker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxConcurrency = 8;

struct Options {
    int bundles = 300;
    int files = 100;
    int runs = 7;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments,
            {{QLatin1String("--bundles"), &options.bundles}, {QLatin1String("--files"), &options.files},
                {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

// Every tenth bundle sits in a Utilities folder; origins, plist forms and architectures vary.
void generateApplicationsFolder(const QString& folder, const Options& options)
{
    using namespace BundleMaker;
    const QByteArray executables[] = {thinMachO(kCpuTypeArm64), thinMachO(kCpuTypeX86_64),
        fatMachO({kCpuTypeX86_64, kCpuTypeArm64}), fatMachO({kCpuTypeX86_64, kCpuTypeArm64}, true)};
    for (int index = 0; index < options.bundles; ++index) {
        const QString name = QStringLiteral("App%1").arg(index, 3, 10, QLatin1Char('0'));
        const QString location = index % 10 == 9 ? QStringLiteral("/Utilities/") : QStringLiteral("/");
        QVariantMap info{{QStringLiteral("CFBundleName"), name},
            {QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.") + name.toLower()},
            {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.%1").arg(index)},
            {QStringLiteral("CFBundleVersion"), QString::number(1000 + index)}};
        if (index % 3 == 0)
            info.insert(QStringLiteral("SUFeedURL"), QStringLiteral("https://example.com/%1.xml").arg(name));
        const QString bundle = makeAppBundle(folder + location + name + QStringLiteral(".app"),
            {.info = info,
                .plistFormat = index % 2 ? PlistFormat::binary : PlistFormat::xml,
                .executableName = name,
                .executable = executables[index % 4],
                .appStoreReceipt = index % 7 == 0});
        for (int file = 0; file < options.files; ++file)
            writeFile(bundle + QStringLiteral("/Contents/Resources/%1/resource%2.dat").arg(file % 8).arg(file),
                QByteArray(100 + (file * 37) % 4000, 'x'));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_installed_app_scan [--bundles N] [--files N] [--runs N]\n");
        return 2;
    }
    QTemporaryDir folder;
    generateApplicationsFolder(folder.path(), *options);
    const QStringList folders{folder.path()};

    std::size_t found = 0;
    qint64 totalBytes = 0;
    const auto scan = [&](bool includeSizes) {
        const std::vector<InstalledAppRecord> records
            = InstalledAppScanner::scanInstalledApps(folders, includeSizes, kMaxConcurrency);
        found = records.size();
        totalBytes = 0;
        for (const InstalledAppRecord& record : records)
            totalBytes += record.sizeBytes;
    };
    scan(true); // warms the page cache

    std::vector<double> withoutSizes, coldSizes, warmSizes;
    for (int run = 0; run < options->runs; ++run) {
        withoutSizes.push_back(secondsOf([&] { scan(false); }));
        FastDirectorySizeReader::clearCache();
        coldSizes.push_back(secondsOf([&] { scan(true); }));
        warmSizes.push_back(secondsOf([&] { scan(true); }));
    }

    std::printf("%zu bundles found of %d, %d resource files each, %d inspections at a time, %u hardware threads, "
                "page cache warm, medians of %d runs\n",
        found, options->bundles, options->files, kMaxConcurrency, std::thread::hardware_concurrency(), options->runs);
    const auto report = [&](const char* label, double seconds) {
        std::printf("  %-44s %8.2f ms  %7.1f us per bundle\n", label, seconds * 1e3,
            seconds * 1e6 / static_cast<double>(found));
    };
    report("scan without sizes", median(withoutSizes));
    report("scan with sizes, cold size cache", median(coldSizes));
    report("rescan with sizes, warm size cache", median(warmSizes));
    std::printf("  total allocated size %lld bytes\n", static_cast<long long>(totalBytes));
    return 0;
}
