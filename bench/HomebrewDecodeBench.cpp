// Decodes a generated `brew info --json=v2 --installed` document of about 5 MB (600 formulae and
// 150 casks shaped like real ones: bottles for eleven platforms, runtime dependencies, several
// kegs, cask artifacts with zap lists) and the matching `brew outdated --json=v2` document into
// the Homebrew item list, as the state fetch does (parse both, merge, sort), and compares that
// with Python reading the same installed document (`python3 -c "import json,sys;
// json.load(open(sys.argv[1]))"`, which includes starting the interpreter; its bare start-up time
// is printed too, and so is the best time of json.load alone, timed inside the interpreter).
//
//   bench_homebrew_decode [--formulae N] [--casks N] [--runs N]
//
// Prints the best time of each contender over the runs and their ratio.
#include "bench/BenchSupport.h"
#include "core/homebrew/HomebrewState.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

struct Options {
    int formulae = 600;
    int casks = 150;
    int runs = 15;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(arguments, {{QLatin1String("--formulae"), &options.formulae}, {QLatin1String("--casks"), &options.casks},
                           {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

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
    static const char* const platforms[] = {"arm64_sequoia",  "arm64_sonoma", "arm64_ventura", "arm64_monterey",
                                            "arm64_big_sur",  "sonoma",       "ventura",       "monterey",
                                            "big_sur",        "arm64_linux",  "x86_64_linux"};
    QJsonObject files;
    for (const char* platform : platforms) {
        const QString digest = sha256(name + QLatin1String(platform) + stable);
        files.insert(QLatin1String(platform),
                     QJsonObject{{"cellar", QStringLiteral(":any_skip_relocation")},
                                 {"url", QStringLiteral("https://ghcr.io/v2/homebrew/core/%1/blobs/sha256:%2").arg(name, digest)},
                                 {"sha256", digest}});
    }
    return {{"stable", QJsonObject{{"rebuild", 0}, {"root_url", "https://ghcr.io/v2/homebrew/core"}, {"files", files}}}};
}

QJsonArray runtimeDependencies(int index)
{
    QJsonArray dependencies;
    for (int dependency = 0; dependency < index % 9; ++dependency) {
        const QString depVersion = version(index + dependency);
        dependencies.append(QJsonObject{{"full_name", formulaName((index * 7 + dependency) % 600)},
                                        {"version", depVersion},
                                        {"revision", 0},
                                        {"pkg_version", depVersion},
                                        {"declared_directly", dependency < 2}});
    }
    return dependencies;
}

QJsonObject keg(const QString& kegVersion, int index, bool onRequest)
{
    return {{"version", kegVersion},
            {"used_options", QJsonArray()},
            {"built_as_bottle", true},
            {"poured_from_bottle", true},
            {"time", 1700000000 + index * 3600},
            {"runtime_dependencies", runtimeDependencies(index)},
            {"installed_as_dependency", !onRequest},
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
        {"urls", QJsonObject{{"stable", QJsonObject{{"url", QStringLiteral("https://downloads.example.org/%1-%2.tar.gz").arg(name, stable)},
                                                    {"tag", QJsonValue::Null},
                                                    {"revision", QJsonValue::Null},
                                                    {"using", QJsonValue::Null},
                                                    {"checksum", sha256(name + stable)}}},
                             {"head", QJsonObject{{"url", QStringLiteral("https://github.com/example/%1.git").arg(name)},
                                                  {"branch", "main"},
                                                  {"using", QJsonValue::Null}}}}},
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
        {"caveats", index % 11 == 0 ? QJsonValue(QStringLiteral("To start %1 now and restart at login:\n  brew services start %1").arg(name))
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
        {"artifacts", QJsonArray{QJsonObject{{"uninstall", QJsonArray{QJsonObject{{"quit", "com.example." + token},
                                                                                  {"launchctl", "com.example." + token + ".helper"}}}}},
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

QByteArray infoDocument(const Options& options)
{
    QJsonArray formulae;
    for (int index = 0; index < options.formulae; ++index)
        formulae.append(formula(index));
    QJsonArray casks;
    for (int index = 0; index < options.casks; ++index)
        casks.append(cask(index));
    return prettyPrinted({{"formulae", formulae}, {"casks", casks}});
}

QByteArray outdatedDocument(const Options& options)
{
    QJsonArray formulae;
    for (int index = 0; index < options.formulae; index += 5) {
        formulae.append(QJsonObject{{"name", formulaName(index)},
                                    {"installed_versions", QJsonArray{version(index)}},
                                    {"current_version", version(index, 1)},
                                    {"pinned", index % 50 == 0},
                                    {"pinned_version", index % 50 == 0 ? QJsonValue(version(index)) : QJsonValue()}});
    }
    QJsonArray casks;
    for (int index = 0; index < options.casks; index += 3) {
        casks.append(QJsonObject{{"name", caskToken(index)},
                                 {"installed_versions", QJsonArray{version(index)}},
                                 {"current_version", version(index, 2)}});
    }
    return prettyPrinted({{"formulae", formulae}, {"casks", casks}});
}

bool runPython(const QString& python, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(python, arguments);
    const bool succeeded =
        process.waitForFinished(120'000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    return succeeded;
}

// json.load alone, without the interpreter's start: the best of `runs` loads in one process.
std::optional<double> pythonLoadMilliseconds(const QString& python, const QString& file, int runs)
{
    const QString script = QStringLiteral("import json,sys,time\n"
                                          "best = None\n"
                                          "for _ in range(int(sys.argv[2])):\n"
                                          "    start = time.perf_counter()\n"
                                          "    json.load(open(sys.argv[1]))\n"
                                          "    elapsed = time.perf_counter() - start\n"
                                          "    best = elapsed if best is None else min(best, elapsed)\n"
                                          "print(best * 1000)\n");
    QByteArray output;
    if (!runPython(python, {QStringLiteral("-c"), script, file, QString::number(runs)}, &output))
        return std::nullopt;
    bool ok = false;
    const double milliseconds = output.trimmed().toDouble(&ok);
    return ok ? std::optional(milliseconds) : std::nullopt;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

std::size_t decodeItemCount(const QByteArray& info, const QByteArray& outdated)
{
    const auto installed = HomebrewService::parseInstalledInfoJSON(info);
    const auto outdatedSnapshot = HomebrewService::parseOutdatedJSON(outdated);
    if (!installed || !outdatedSnapshot)
        return 0;
    return HomebrewService::merge(*installed, *outdatedSnapshot, true).size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseOptions(app.arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_homebrew_decode [--formulae N] [--casks N] [--runs N]\n");
        return 2;
    }
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        std::fprintf(stderr, "python3 not found\n");
        return 1;
    }
    QTemporaryDir folder;
    const QByteArray info = infoDocument(*options);
    const QByteArray outdated = outdatedDocument(*options);
    const QString infoFile = folder.filePath(QStringLiteral("info.json"));
    if (!folder.isValid() || !writeFile(infoFile, info)) {
        std::fprintf(stderr, "cannot write the document to a temporary folder\n");
        return 1;
    }
    const QStringList pythonLoad{QStringLiteral("-c"), QStringLiteral("import json,sys; json.load(open(sys.argv[1]))"),
                                 infoFile};
    if (!runPython(python, pythonLoad)) {
        std::fprintf(stderr, "python3 rejected the generated document\n");
        return 1;
    }
    const std::size_t expectedItems = static_cast<std::size_t>(options->formulae + options->casks);
    if (decodeItemCount(info, outdated) != expectedItems) {
        std::fprintf(stderr, "the generated documents did not decode into %zu items\n", expectedItems);
        return 1;
    }

    std::size_t items = 0;
    const double ours = bestMilliseconds(options->runs, [&] { items = decodeItemCount(info, outdated); });
    const double parseOnly = bestMilliseconds(options->runs, [&] { (void)QJsonDocument::fromJson(info); });
    const double pythonTotal = bestMilliseconds(options->runs, [&] { runPython(python, pythonLoad); });
    const double pythonStart =
        bestMilliseconds(options->runs, [&] { runPython(python, {QStringLiteral("-c"), QStringLiteral("pass")}); });
    const std::optional<double> pythonAlone = pythonLoadMilliseconds(python, infoFile, options->runs);
    if (!pythonAlone) {
        std::fprintf(stderr, "python3 could not time its own load\n");
        return 1;
    }

    const double megabytes = (info.size() + outdated.size()) / 1e6;
    std::printf("documents: info %.2f MB (%d formulae, %d casks), outdated %.3f MB; best of %d runs\n",
                info.size() / 1e6, options->formulae, options->casks, outdated.size() / 1e6, options->runs);
    std::printf("decode to %zu items (parse both, merge, sort): %8.2f ms  %7.1f MB/s\n", items, ours,
                megabytes / (ours / 1e3));
    std::printf("  of which QJsonDocument::fromJson of info:     %8.2f ms  %7.1f MB/s\n", parseOnly,
                info.size() / 1e6 / (parseOnly / 1e3));
    std::printf("python3 json.load of info (whole process):     %8.2f ms  %7.1f MB/s\n", pythonTotal,
                info.size() / 1e6 / (pythonTotal / 1e3));
    std::printf("  of which interpreter start-up (-c pass):     %8.2f ms\n", pythonStart);
    std::printf("python3 json.load alone, timed inside:         %8.2f ms  %7.1f MB/s\n", *pythonAlone,
                info.size() / 1e6 / (*pythonAlone / 1e3));
    std::printf("ratio python3 / ours: whole process %.2fx, json.load alone %.2fx\n", pythonTotal / ours,
                *pythonAlone / ours);
    return 0;
}
