// Decodes generated `brew info --json=v2 --installed` documents shaped like real ones (formulae
// with bottles for eleven platforms, runtime dependencies, several kegs; casks with artifacts and
// zap lists) and the matching `brew outdated --json=v2` documents into the Homebrew item list, as
// the state fetch does (parse both, merge, sort), in a process of its own
// (bench-homebrew-decode-file). It compares that with the system's Python reading the same
// installed document (`/usr/bin/python3 -c "import json,sys; json.load(open(sys.argv[1]))"`, run
// directly, not through a wrapper on PATH), both as whole processes: best time and peak memory.
// Python's bare start-up and its json.load timed inside the interpreter are printed too.
//
//   bench_homebrew_decode [--packages N] [--small N] [--runs N]
//
// Two documents: --packages (12,000, about 77 MB) and --small (600) packages, four formulae to
// each cask. The last line gives the large document's figures and its time ratio ours / Python.
#include "bench/BenchSupport.h"
#include "bench/ProcessMeasurement.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

struct Options {
    int packages = 12'000;
    int small = 600;
    int runs = 5;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments,
            {{QLatin1String("--packages"), &options.packages}, {QLatin1String("--small"), &options.small},
                {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

// How many formulae and casks make up a document of `packages` packages.
struct DocumentSize {
    int formulae;
    int casks;

    explicit DocumentSize(int packages)
        : formulae(packages - packages / 5)
        , casks(packages / 5)
    {
    }
};

const QString systemPython = QStringLiteral("/usr/bin/python3");

QString sha256(const QString& seed)
{
    return QString::fromLatin1(QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString version(int index, int bump = 0)
{
    return QStringLiteral("%1.%2.%3").arg(1 + index % 7).arg(index % 13).arg(index % 5 + bump);
}

QString formulaName(int index)
{
    static const char* const stems[] = {"lib", "py", "go", "node", "rust", "x", "open", "g"};
    static const char* const roots[] = {"zstd", "curl", "yaml", "sqlite", "proto", "ssl", "jpeg", "uv", "ffi", "gmp"};
    return QString::fromLatin1(stems[index % 8]) + QString::fromLatin1(roots[index / 8 % 10]) + QString::number(index);
}

QJsonObject bottle(const QString& name, const QString& stable)
{
    static const char* const platforms[] = {"arm64_sequoia", "arm64_sonoma", "arm64_ventura", "arm64_monterey",
        "arm64_big_sur", "sonoma", "ventura", "monterey", "big_sur", "arm64_linux", "x86_64_linux"};
    QJsonObject files;
    for (const char* platform : platforms) {
        const QString digest = sha256(name + QLatin1String(platform) + stable);
        files.insert(QLatin1String(platform),
            QJsonObject{{"cellar", QStringLiteral(":any_skip_relocation")},
                {"url", QStringLiteral("https://ghcr.io/v2/homebrew/core/%1/blobs/sha256:%2").arg(name, digest)},
                {"sha256", digest}});
    }
    return {
        {"stable", QJsonObject{{"rebuild", 0}, {"root_url", "https://ghcr.io/v2/homebrew/core"}, {"files", files}}}};
}

QJsonArray runtimeDependencies(int index)
{
    QJsonArray dependencies;
    for (int dependency = 0; dependency < index % 9; ++dependency) {
        const QString depVersion = version(index + dependency);
        dependencies.append(
            QJsonObject{{"full_name", formulaName((index * 7 + dependency) % 600)}, {"version", depVersion},
                {"revision", 0}, {"pkg_version", depVersion}, {"declared_directly", dependency < 2}});
    }
    return dependencies;
}

QJsonObject keg(const QString& kegVersion, int index, bool onRequest)
{
    return {{"version", kegVersion}, {"used_options", QJsonArray()}, {"built_as_bottle", true},
        {"poured_from_bottle", true}, {"time", 1700000000 + index * 3600},
        {"runtime_dependencies", runtimeDependencies(index)}, {"installed_as_dependency", !onRequest},
        {"installed_on_request", onRequest}};
}

QJsonObject formula(int index)
{
    const QString name = formulaName(index);
    const QString stable = version(index, 1);
    QJsonArray installed{keg(version(index), index, index % 3 != 0)};
    if (index % 9 == 0)
        installed.prepend(keg(version(index + 1), index, false));
    QJsonArray dependencies;
    for (int dependency = 0; dependency < index % 9; ++dependency)
        dependencies.append(formulaName((index * 7 + dependency) % 600));
    return {
        {"name", name},
        {"full_name", index % 40 == 0 ? QStringLiteral("example/tap/") + name : name},
        {"tap", index % 40 == 0 ? QStringLiteral("example/tap") : QStringLiteral("homebrew/core")},
        {"oldname", QJsonValue::Null},
        {"oldnames", QJsonArray()},
        {"aliases", QJsonArray{name + QStringLiteral("-cli")}},
        {"versioned_formulae", QJsonArray()},
        {"desc", QStringLiteral("Library and command-line tools for %1 data").arg(name)},
        {"license", "Apache-2.0"},
        {"homepage", QStringLiteral("https://%1.example.org/").arg(name)},
        {"versions", QJsonObject{{"stable", stable}, {"head", "HEAD"}, {"bottle", true}}},
        {"urls",
            QJsonObject{
                {"stable",
                    QJsonObject{{"url", QStringLiteral("https://downloads.example.org/%1-%2.tar.gz").arg(name, stable)},
                        {"tag", QJsonValue::Null}, {"revision", QJsonValue::Null}, {"using", QJsonValue::Null},
                        {"checksum", sha256(name + stable)}}},
                {"head",
                    QJsonObject{{"url", QStringLiteral("https://github.com/example/%1.git").arg(name)},
                        {"branch", "main"}, {"using", QJsonValue::Null}}}}},
        {"revision", index % 4},
        {"version_scheme", 0},
        {"bottle", bottle(name, stable)},
        {"pour_bottle_only_if", QJsonValue::Null},
        {"keg_only", index % 17 == 0},
        {"keg_only_reason", QJsonValue::Null},
        {"options", QJsonArray()},
        {"build_dependencies", QJsonArray{"cmake", "pkgconf"}},
        {"dependencies", dependencies},
        {"test_dependencies", QJsonArray()},
        {"recommended_dependencies", QJsonArray()},
        {"optional_dependencies", QJsonArray()},
        {"uses_from_macos", QJsonArray{"zlib", "libxml2"}},
        {"uses_from_macos_bounds", QJsonArray{QJsonObject(), QJsonObject()}},
        {"requirements", QJsonArray()},
        {"conflicts_with", QJsonArray()},
        {"conflicts_with_reasons", QJsonArray()},
        {"link_overwrite", QJsonArray()},
        {"caveats",
            index % 11 == 0 ? QJsonValue(
                QStringLiteral("To start %1 now and restart at login:\n  brew services start %1").arg(name))
                            : QJsonValue(QJsonValue::Null)},
        {"installed", installed},
        {"linked_keg", version(index)},
        {"pinned", index % 50 == 0},
        {"outdated", index % 5 == 0},
        {"deprecated", false},
        {"deprecation_date", QJsonValue::Null},
        {"deprecation_reason", QJsonValue::Null},
        {"disabled", false},
        {"disable_date", QJsonValue::Null},
        {"disable_reason", QJsonValue::Null},
        {"post_install_defined", index % 13 == 0},
        {"service", QJsonValue::Null},
        {"tap_git_head", sha256(QStringLiteral("core")).left(40)},
        {"ruby_source_path", QStringLiteral("Formula/%1/%2.rb").arg(name.left(1), name)},
        {"ruby_source_checksum", QJsonObject{{"sha256", sha256(name + QStringLiteral(".rb"))}}},
    };
}

QString caskToken(int index)
{
    static const char* const words[] = {"lumen", "prism", "quill", "rune", "sable", "torch", "umber", "vale"};
    return QString::fromLatin1(words[index % 8]) + QLatin1Char('-') + QString::number(index);
}

QJsonObject cask(int index)
{
    const QString token = caskToken(index);
    const QString appName = token.left(1).toUpper() + token.mid(1) + QStringLiteral(".app");
    QJsonArray app{appName};
    if (index % 10 == 0)
        app.append(QJsonObject{{"target", token + QStringLiteral(" Pro.app")}});
    QJsonArray trash;
    for (const char* folder : {"Application Support", "Caches", "Preferences", "Saved Application State", "Logs",
             "Containers", "Group Containers", "HTTPStorages", "WebKit", "Cookies"})
        trash.append(QStringLiteral("~/Library/%1/com.example.%2").arg(QLatin1String(folder), token));
    const QJsonValue installed = index % 4 == 0 ? QJsonValue(QJsonArray{version(index)}) : QJsonValue(version(index));
    QJsonArray languages;
    for (const char* language : {"en", "de", "fr", "ja", "tr", "zh-CN"})
        languages.append(QLatin1String(language));
    return {
        {"token", token},
        {"full_token", token},
        {"old_tokens", QJsonArray()},
        {"tap", "homebrew/cask"},
        {"name", QJsonArray{token.toUpper(), token}},
        {"desc", QStringLiteral("Desktop client for %1").arg(token)},
        {"homepage", QStringLiteral("https://%1.example.com/").arg(token)},
        {"url", QStringLiteral("https://downloads.example.com/%1/%2/%1-universal.dmg").arg(token, version(index, 2))},
        {"url_specs", QJsonObject{{"verified", "downloads.example.com/"}}},
        {"version", version(index, 2)},
        {"installed", installed},
        {"installed_time", 1700000000 + index * 60},
        {"bundle_version", QJsonValue::Null},
        {"bundle_short_version", QJsonValue::Null},
        {"outdated", index % 3 == 0},
        {"sha256", sha256(token)},
        {"artifacts",
            QJsonArray{QJsonObject{{"uninstall",
                           QJsonArray{QJsonObject{
                               {"quit", "com.example." + token}, {"launchctl", "com.example." + token + ".helper"}}}}},
                QJsonObject{{"app", app}},
                QJsonObject{{"binary", QJsonArray{"$APPDIR/" + appName + "/Contents/MacOS/" + token}}},
                QJsonObject{{"zap", QJsonArray{QJsonObject{{"trash", trash}}}}}}},
        {"caveats", QJsonValue::Null},
        {"depends_on", QJsonObject{{"macos", QJsonObject{{">=", QJsonArray{"12"}}}}}},
        {"conflicts_with", QJsonValue::Null},
        {"container", QJsonValue::Null},
        {"auto_updates", index % 2 == 0},
        {"deprecated", false},
        {"deprecation_date", QJsonValue::Null},
        {"deprecation_reason", QJsonValue::Null},
        {"disabled", false},
        {"disable_date", QJsonValue::Null},
        {"disable_reason", QJsonValue::Null},
        {"tap_git_head", sha256(QStringLiteral("cask")).left(40)},
        {"languages", languages},
        {"ruby_source_path", QStringLiteral("Casks/%1/%2.rb").arg(token.left(1), token)},
        {"ruby_source_checksum", QJsonObject{{"sha256", sha256(token + QStringLiteral(".rb"))}}},
    };
}

// brew prints its JSON with two spaces of indentation; Qt indents with four.
QByteArray prettyPrinted(const QJsonObject& object)
{
    QByteArray text;
    for (const QByteArray& line : QJsonDocument(object).toJson(QJsonDocument::Indented).split('\n')) {
        qsizetype indent = 0;
        while (indent < line.size() && line[indent] == ' ')
            ++indent;
        text += line.mid(indent / 2) + '\n';
    }
    return text.trimmed() + '\n';
}

QByteArray infoDocument(const DocumentSize& options)
{
    QJsonArray formulae;
    for (int index = 0; index < options.formulae; ++index)
        formulae.append(formula(index));
    QJsonArray casks;
    for (int index = 0; index < options.casks; ++index)
        casks.append(cask(index));
    return prettyPrinted({{"formulae", formulae}, {"casks", casks}});
}

QByteArray outdatedDocument(const DocumentSize& options)
{
    QJsonArray formulae;
    for (int index = 0; index < options.formulae; index += 5) {
        formulae.append(QJsonObject{{"name", formulaName(index)}, {"installed_versions", QJsonArray{version(index)}},
            {"current_version", version(index, 1)}, {"pinned", index % 50 == 0},
            {"pinned_version", index % 50 == 0 ? QJsonValue(version(index)) : QJsonValue()}});
    }
    QJsonArray casks;
    for (int index = 0; index < options.casks; index += 3) {
        casks.append(QJsonObject{{"name", caskToken(index)}, {"installed_versions", QJsonArray{version(index)}},
            {"current_version", version(index, 2)}});
    }
    return prettyPrinted({{"formulae", formulae}, {"casks", casks}});
}

// json.load alone, without the interpreter's start: the best of `runs` loads in one process.
std::optional<double> pythonLoadMilliseconds(const QString& file, int runs)
{
    const QString script = QStringLiteral("import json,sys,time\n"
                                          "best = None\n"
                                          "for _ in range(int(sys.argv[2])):\n"
                                          "    start = time.perf_counter()\n"
                                          "    json.load(open(sys.argv[1]))\n"
                                          "    elapsed = time.perf_counter() - start\n"
                                          "    best = elapsed if best is None else min(best, elapsed)\n"
                                          "print(best * 1000)\n");
    QProcess process;
    process.start(systemPython, {QStringLiteral("-c"), script, file, QString::number(runs)});
    if (!process.waitForFinished(600'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    bool ok = false;
    const double milliseconds = process.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? std::optional(milliseconds) : std::nullopt;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

struct Comparison {
    double megabytes = 0;
    ProcessMeasurement ours;
    ProcessMeasurement python;
};

// Writes the documents of `packages` packages and measures both contenders on them.
std::optional<Comparison> compare(int packages, int runs, const QString& decoder, const QTemporaryDir& folder)
{
    const DocumentSize size(packages);
    const QByteArray info = infoDocument(size);
    const QString infoFile = folder.filePath(QStringLiteral("info-%1.json").arg(packages));
    const QString outdatedFile = folder.filePath(QStringLiteral("outdated-%1.json").arg(packages));
    if (!writeFile(infoFile, info) || !writeFile(outdatedFile, outdatedDocument(size))) {
        std::fprintf(stderr, "cannot write the documents to a temporary folder\n");
        return std::nullopt;
    }
    const std::optional<ProcessMeasurement> ours = bestOfProcessRuns(runs, decoder, {infoFile, outdatedFile});
    const std::optional<ProcessMeasurement> python = bestOfProcessRuns(runs, systemPython,
        {QStringLiteral("-c"),
            QStringLiteral("import json,sys; json.load(open(sys.argv[1])); ") + pythonPrintsOwnPeakMemory(), infoFile});
    if (!ours || !python) {
        std::fprintf(stderr, "%s failed on the %d-package document\n", ours ? "python3" : "the decoder", packages);
        return std::nullopt;
    }
    const std::optional<double> pythonAlone = pythonLoadMilliseconds(infoFile, runs);
    std::printf("%6d packages, info %6.1f MB: ours %8.1f ms %7.1f MiB | python3 %8.1f ms %7.1f MiB "
                "(json.load alone %.1f ms) | time %.2fx, memory %.2fx\n",
        packages, info.size() / 1e6, ours->milliseconds, ours->peakMebibytes, python->milliseconds,
        python->peakMebibytes, pythonAlone.value_or(-1), ours->milliseconds / python->milliseconds,
        ours->peakMebibytes / python->peakMebibytes);
    return Comparison{.megabytes = info.size() / 1e6, .ours = *ours, .python = *python};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseOptions(app.arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_homebrew_decode [--packages N] [--small N] [--runs N]\n");
        return 2;
    }
    if (!QFileInfo(systemPython).isExecutable()) {
        std::fprintf(stderr, "%s not found\n", qPrintable(systemPython));
        return 1;
    }
    const QString decoder = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-homebrew-decode-file");
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const std::optional<ProcessMeasurement> pythonStart
        = bestOfProcessRuns(options->runs, systemPython, {QStringLiteral("-c"), pythonPrintsOwnPeakMemory()});
    if (pythonStart)
        std::printf("python3 start-up alone: %.1f ms %.1f MiB; best time, highest peak of %d runs\n",
            pythonStart->milliseconds, pythonStart->peakMebibytes, options->runs);
    if (!compare(options->small, options->runs, decoder, folder))
        return 1;
    const std::optional<Comparison> large = compare(options->packages, options->runs, decoder, folder);
    if (!large)
        return 1;
    std::printf("anchor python3 json.load %.1f ms %.1f MiB, ours %.1f ms %.1f MiB (%d packages, %.1f MB): "
                "memory %.2fx, ratio %.2f\n",
        large->python.milliseconds, large->python.peakMebibytes, large->ours.milliseconds, large->ours.peakMebibytes,
        options->packages, large->megabytes, large->ours.peakMebibytes / large->python.peakMebibytes,
        large->ours.milliseconds / large->python.milliseconds);
    return 0;
}
