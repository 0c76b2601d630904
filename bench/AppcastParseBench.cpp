// Parses a generated appcast feed of about 1 MB (2,000 releases shaped like real ones: titles,
// dates, versions as elements and as enclosure attributes, release-notes links, CDATA
// descriptions, delta enclosures) the way the update checker does, in a process of its own
// (bench-appcast-parse-file), and compares that with a plain parse of the same file by libxml2
// (`xmllint --noout`): both whole processes, start-up included. The start-up of each on a tiny
// feed is printed too.
//
//   bench_appcast_parse [--items N] [--runs N]
//
// Prints the best time of each contender over the runs; the last line gives their ratio.
#include "bench/BenchSupport.h"
#include "bench/ProcessMeasurement.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace {

struct Options {
    int items = 2000;
    int runs = 15;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(
            arguments, {{QLatin1String("--items"), &options.items}, {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

// Release `index` of a feed listed newest first, as most feeds are.
QByteArray release(int index, int count)
{
    const int serial = count - index;
    const QByteArray version = number(serial / 100) + '.' + number(serial / 10 % 10) + '.' + number(serial % 10);
    const QByteArray build = number(1000 + serial);
    const QByteArray previous = number(999 + serial);
    QByteArray item = "    <item>\n"
                      "      <title>Version "
        + version
        + "</title>\n"
          "      <pubDate>Mon, "
        + number(1 + serial % 28)
        + " May 2024 10:00:00 +0000</pubDate>\n"
          "      <sparkle:minimumSystemVersion>12.0</sparkle:minimumSystemVersion>\n"
          "      <sparkle:releaseNotesLink>https://lumen.example.com/notes/"
        + version
        + ".html</sparkle:releaseNotesLink>\n"
          "      <description><![CDATA[<p>Faster sync.</p>]]></description>\n"
          "      <enclosure url=\"https://downloads.example.com/lumen/Lumen-"
        + version + ".zip\" sparkle:version=\"" + build + "\" sparkle:shortVersionString=\"" + version
        + "\" length=\"18422311\" type=\"application/octet-stream\"/>\n";
    if (index % 10 == 0) {
        item += "      <sparkle:deltas>\n"
                "        <enclosure url=\"https://downloads.example.com/lumen/Lumen"
            + build + "-" + previous + ".delta\" sparkle:version=\"" + build + "\" sparkle:deltaFrom=\"" + previous
            + "\" length=\"1202933\" type=\"application/octet-stream\"/>\n"
              "      </sparkle:deltas>\n";
    }
    return item + "    </item>\n";
}

QByteArray appcast(int items)
{
    QByteArray feed = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<rss version=\"2.0\" xmlns:sparkle=\"https://example.com/xml-namespaces/sparkle\">\n"
                      "  <channel>\n"
                      "    <title>Lumen Notes Changelog</title>\n"
                      "    <link>https://lumen.example.com/</link>\n";
    for (int index = 0; index < items; ++index)
        feed += release(index, items);
    return feed + "  </channel>\n</rss>\n";
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseOptions(app.arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_appcast_parse [--items N] [--runs N]\n");
        return 2;
    }
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty()) {
        std::fprintf(stderr, "xmllint not found (Debian package libxml2-utils)\n");
        return 1;
    }
    QTemporaryDir folder;
    const QByteArray feed = appcast(options->items);
    const QString feedFile = folder.filePath(QStringLiteral("appcast.xml"));
    const QString tinyFile = folder.filePath(QStringLiteral("tiny.xml"));
    if (!folder.isValid() || !writeFile(feedFile, feed) || !writeFile(tinyFile, "<rss/>\n")) {
        std::fprintf(stderr, "cannot write the feed to a temporary folder\n");
        return 1;
    }
    const QString parser = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-appcast-parse-file");
    const QStringList xmllintFeed{QStringLiteral("--noout"), feedFile};
    const std::optional<ProcessMeasurement> ours = bestOfProcessRuns(options->runs, parser, {feedFile});
    const std::optional<ProcessMeasurement> libxml2 = bestOfProcessRuns(options->runs, xmllint, xmllintFeed);
    const std::optional<ProcessMeasurement> ourStart = bestOfProcessRuns(options->runs, parser, {tinyFile});
    const std::optional<ProcessMeasurement> libxml2Start
        = bestOfProcessRuns(options->runs, xmllint, {QStringLiteral("--noout"), tinyFile});
    if (!ours || !libxml2 || !ourStart || !libxml2Start) {
        std::fprintf(stderr, "%s failed on the generated feed\n", ours && ourStart ? "xmllint" : "the parser");
        return 1;
    }

    std::printf("appcast: %d items, %.2f MB; best of %d runs, whole processes\n", options->items, feed.size() / 1e6,
        options->runs);
    std::printf(
        "ours (bench-appcast-parse-file): %8.2f ms, on <rss/> %8.2f ms\n", ours->milliseconds, ourStart->milliseconds);
    std::printf("xmllint --noout:                 %8.2f ms, on <rss/> %8.2f ms\n", libxml2->milliseconds,
        libxml2Start->milliseconds);
    std::printf("anchor xmllint --noout %.2f ms, ours %.2f ms, ratio %.2f\n", libxml2->milliseconds, ours->milliseconds,
        ours->milliseconds / libxml2->milliseconds);
    return 0;
}
