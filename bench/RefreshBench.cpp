// Times one whole refresh series of the studio's view model against each of its stages run alone
// in the same process: the app scan (without sizes, cached sizes applied), the Homebrew query and
// the feed checks. The series runs the query beside the scan and the feed checks as soon as the
// list is published, so it should take little more than its slowest stage.
//
//   bench_refresh [--bundles N] [--packages N] [--feeds N] [--runs N]
//
// Everything is local: bundles in a temporary home, a stand-in brew that only prints prepared JSON
// for the packages (a shell and `cat`, so the Homebrew stage times our side rather than the
// stand-in), and appcasts served on 127.0.0.1. The last line compares the series with its slowest
// stage.
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "bench/BenchSupport.h"
#include "core/homebrew/HomebrewService.h"
#include "core/homebrew/HomebrewState.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/records/UpdateConfigStore.h"
#include "core/sparkle/SparkleUpdateChecker.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

struct Options {
    int bundles = 300;
    int packages = 200;
    int feeds = 50;
    int runs = 7;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments,
            {{QLatin1String("--bundles"), &options.bundles}, {QLatin1String("--packages"), &options.packages},
                {QLatin1String("--feeds"), &options.feeds}, {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

QJsonObject fixtureDocument()
{
    QFile file(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/info-installed.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing Homebrew fixture");
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString appName(int index)
{
    return u"App%1"_s.arg(index, 3, 10, QLatin1Char('0'));
}

// A quarter of the packages are casks, each installing one of the bundles; every fourth package
// is outdated.
struct BrewDocuments {
    QByteArray info;
    QByteArray outdated;
};

BrewDocuments brewDocuments(int packages)
{
    const QJsonObject templates = fixtureDocument();
    const QJsonObject formulaTemplate = templates[u"formulae"_s].toArray().first().toObject();
    const QJsonObject caskTemplate = templates[u"casks"_s].toArray().first().toObject();
    QJsonArray formulae, casks, outdatedFormulae, outdatedCasks;
    for (int index = 0; index < packages; ++index) {
        const bool outdated = index % 4 == 1;
        if (index % 4 == 0) {
            const QString token = u"cask-%1"_s.arg(index);
            QJsonObject cask = caskTemplate;
            cask[u"token"_s] = token;
            cask[u"full_token"_s] = token;
            cask[u"installed"_s] = u"1.0"_s;
            cask[u"version"_s] = u"1.0"_s;
            cask[u"outdated"_s] = false;
            cask[u"artifacts"_s] = QJsonArray{QJsonObject{{u"app"_s, QJsonArray{appName(index) + u".app"_s}}}};
            casks.append(cask);
            continue;
        }
        const QString name = u"formula-%1"_s.arg(index);
        QJsonObject formula = formulaTemplate;
        formula[u"name"_s] = name;
        formula[u"full_name"_s] = name;
        formulae.append(formula);
        if (outdated)
            outdatedFormulae.append(QJsonObject{{u"name"_s, name}, {u"installed_versions"_s, QJsonArray{u"1.24.5"_s}},
                {u"current_version"_s, u"1.25.0"_s}, {u"pinned"_s, false}, {u"pinned_version"_s, QJsonValue()}});
    }
    const auto json = [](const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); };
    return {.info = json({{u"formulae"_s, formulae}, {u"casks"_s, casks}}),
        .outdated = json({{u"formulae"_s, outdatedFormulae}, {u"casks"_s, outdatedCasks}})};
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Writes "<folder>/bin/brew", which prints the documents for the two commands a refresh runs and
// nothing for any other.
bool writeStandInBrew(const QTemporaryDir& folder, const BrewDocuments& documents)
{
    const QString info = folder.filePath(u"info.json"_s);
    const QString outdated = folder.filePath(u"outdated.json"_s);
    const QString brew = folder.filePath(u"bin/brew"_s);
    const QByteArray script = "#!/bin/sh\n"
                              "case \"$*\" in\n"
                              "\"info --json=v2 --installed\") exec cat '"
        + info.toUtf8()
        + "' ;;\n"
          "\"outdated --json=v2\") exec cat '"
        + outdated.toUtf8()
        + "' ;;\n"
          "esac\n";
    return QDir().mkpath(folder.filePath(u"bin"_s)) && writeFile(info, documents.info)
        && writeFile(outdated, documents.outdated) && writeFile(brew, script)
        && QFile::setPermissions(brew, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray appcast(int index)
{
    return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<item><title>Version 2.%1</title><sparkle:releaseNotesLink>https://notes.example/%1.html"
           "</sparkle:releaseNotesLink><enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"2%1\" "
           "sparkle:shortVersionString=\"2.%1\" length=\"1\" type=\"application/octet-stream\"/></item>"
           "</channel></rss>\n"_s.arg(index)
               .toUtf8();
}

void generateBundles(const QString& folder, const Options& options, const LoopbackHttpServer& server)
{
    using namespace BundleMaker;
    for (int index = 0; index < options.bundles; ++index) {
        const QString name = appName(index);
        QVariantMap info{{u"CFBundleName"_s, name}, {u"CFBundleIdentifier"_s, u"com.example."_s + name.toLower()},
            {u"CFBundleShortVersionString"_s, u"1.%1"_s.arg(index)},
            {u"CFBundleVersion"_s, QString::number(1000 + index)}};
        if (index < options.feeds)
            info.insert(u"SUFeedURL"_s, server.url(u"/feed%1.xml"_s.arg(index)));
        makeAppBundle(folder + u"/"_s + name + u".app"_s,
            {.info = info, .executableName = name, .executable = thinMachO(kCpuTypeArm64)});
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_refresh [--bundles N] [--packages N] [--feeds N] [--runs N]\n");
        return 2;
    }
    const TempHome home;
    LoopbackHttpServer server;
    for (int index = 0; index < options->feeds; ++index)
        server.setResponse(u"/feed%1.xml"_s.arg(index), LoopbackHttpServer::Response::ok(appcast(index)));
    const QString applications = home.filePath(u"Applications"_s);
    generateBundles(applications, *options, server);

    const QTemporaryDir brewFolder;
    if (!brewFolder.isValid() || !writeStandInBrew(brewFolder, brewDocuments(options->packages))) {
        std::fprintf(stderr, "cannot write the stand-in brew\n");
        return 1;
    }
    HomebrewService::overrideSearchBundle(TruneBundle({}, brewFolder.path()));

    TruneAppLogger logger(u"TruneUpdate"_s, home.filePath(u"logs"_s), 2 * 1024 * 1024, 5, {});
    const UpdateStudioEnvironment environment{
        .searchDirectories = {applications},
        .libraryRoot = home.filePath(u"Library"_s),
        .trashFolder = TruneTrash::filesDirectory(),
        .configFolder = UpdateConfigStore::defaultDirectoryURL(),
        .logger = &logger,
        .now = [] { return QDateTime::currentDateTimeUtc(); },
        .measureSize = [](const QString& path) { return FastDirectorySizeReader::allocatedSize(path, true); },
        .locale = QLocale(QLocale::English),
        .openUrl = [](const QUrl&) { return false; },
    };

    const QStringList folders{applications};
    std::vector<InstalledAppRecord> apps;
    std::size_t packagesFound = 0;
    std::size_t feedResults = 0;
    const auto scan = [&] {
        apps = InstalledAppScanner::scanInstalledApps(folders, false, 8, environment.locale);
        for (InstalledAppRecord& app : apps) {
            if (const std::optional<qint64> cached = FastDirectorySizeReader::cachedSize(app.path))
                app.sizeBytes = *cached;
        }
    };
    const auto query = [&] { packagesFound = HomebrewService::fetchInstalledAndOutdated().value().size(); };
    const auto checkFeeds = [&] { feedResults = SparkleUpdateChecker(10).checkUpdates(apps, false, 6).size(); };

    UpdateStudioViewModel model(environment);
    const auto series = [&] {
        bool done = false;
        model.refreshAllAndCheckUpdates([&] { done = true; });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    series(); // also measures and caches every bundle size, as a running program would have
    scan();

    std::vector<double> scans, queries, feedChecks, seriesTimes;
    for (int run = 0; run < options->runs; ++run) {
        scans.push_back(secondsOf(scan));
        queries.push_back(secondsOf(query));
        feedChecks.push_back(secondsOf(checkFeeds));
        seriesTimes.push_back(secondsOf(series));
    }

    const double slowestStage = std::max({median(scans), median(queries), median(feedChecks)});
    std::printf("%zu bundles, %zu Homebrew packages, %zu feed results, %u hardware threads, medians of %d runs\n",
        apps.size(), packagesFound, feedResults, std::thread::hardware_concurrency(), options->runs);
    const auto report
        = [](const char* label, double seconds) { std::printf("  %-36s %8.2f ms\n", label, seconds * 1e3); };
    report("app scan alone", median(scans));
    report("Homebrew query alone", median(queries));
    report("feed checks alone", median(feedChecks));
    report("whole refresh series", median(seriesTimes));
    HomebrewService::overrideSearchBundle(std::nullopt);
    std::printf("anchor slowest stage alone %.2f ms, ours whole refresh series %.2f ms, ratio %.2f (goal: at most "
                "1.30)\n",
        slowestStage * 1e3, median(seriesTimes) * 1e3, median(seriesTimes) / slowestStage);
    return 0;
}
