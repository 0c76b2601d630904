#include "core/sparkle/SparkleAppcastParser.h"

#include "tests/core/sparkle/AppcastTestValues.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using namespace AppcastTestValues;
using SparkleAppcastParser::parseItems;

constexpr QStringView kSonoma = u"14.0.0";

SparkleAppcastItem release(const QString& shortVersion, const QString& build = {}, const QString& title = {})
{
    return SparkleAppcastItem{.title = title, .shortVersionString = shortVersion, .buildVersion = build};
}

std::optional<QString> chosenTitle(
    const std::vector<SparkleAppcastItem>& items, QStringView running, bool includePrereleases)
{
    const auto chosen = SparkleAppcastParser::selectHighestCompatible(items, running, includePrereleases);
    if (!chosen)
        return std::nullopt;
    return chosen->title;
}

TEST(SparkleAppcastParserTest, ReadsEveryItemOfARealFeedInDocumentOrder)
{
    const std::vector<SparkleAppcastItem> expected{
        {
            .title = u"Version 2.3.1"_s,
            .shortVersionString = u"2.3.1"_s,
            .buildVersion = u"231"_s,
            .downloadURL = u"https://downloads.example.com/lumen/Lumen-2.3.1.zip"_s,
            .releaseNotesURL = u"https://lumen.example.com/notes/2.3.1.html"_s,
            .minimumSystemVersion = u"12.0"_s,
            .pubDate = u"Mon, 13 May 2024 10:00:00 +0000"_s,
        },
        {
            // The enclosures inside <sparkle:deltas> are patches, not the release itself.
            .title = u"Version 2.4"_s,
            .shortVersionString = u"2.4"_s,
            .buildVersion = u"240"_s,
            .downloadURL = u"downloads/Lumen-2.4.zip"_s,
            .releaseNotesURL = u"releases/2.4.html"_s,
            .minimumSystemVersion = u"13.0"_s,
            .pubDate = u"Tue, 04 Jun 2024 09:00:00 +0000"_s,
        },
        {
            .title = u"Version 2.5 beta 2"_s,
            .shortVersionString = u"2.5b2"_s,
            .buildVersion = u"250"_s,
            .downloadURL = u"https://downloads.example.com/lumen/Lumen-2.5b2.zip"_s,
            .releaseNotesURL = u"https://lumen.example.com/notes/2.5b2.html"_s,
            .pubDate = u"Wed, 12 Jun 2024 16:30:00 +0000"_s,
        },
        {
            .title = u"Version 2.6 (nightly 2024-06-20)"_s,
            .shortVersionString = u"2.6"_s,
            .buildVersion = u"260"_s,
            .downloadURL = u"https://downloads.example.com/lumen/nightly/Lumen-2.6.zip"_s,
            .pubDate = u"Thu, 20 Jun 2024 02:00:00 +0000"_s,
            .channel = u"nightly"_s,
        },
        {
            .title = u"Version 3.0"_s,
            .shortVersionString = u"3.0"_s,
            .buildVersion = u"300"_s,
            .downloadURL = u"https://downloads.example.com/lumen/Lumen-3.0.zip"_s,
            .minimumSystemVersion = u"15.0"_s,
            .pubDate = u"Mon, 01 Jul 2024 09:00:00 +0000"_s,
        },
        {
            .title = u"Lumen 2.9 for Windows"_s,
            .shortVersionString = u"2.9"_s,
            .buildVersion = u"290"_s,
            .downloadURL = u"https://downloads.example.com/lumen/LumenSetup-2.9.exe"_s,
            .operatingSystem = u"windows"_s,
            .pubDate = u"Mon, 01 Jul 2024 09:00:00 +0000"_s,
        },
        {
            .title = u"Version 2.2"_s,
            .shortVersionString = u"2.2"_s,
            .buildVersion = u"220"_s,
            .downloadURL = u"https://downloads.example.com/lumen/Lumen-2.2.zip"_s,
            .operatingSystem = u"macos"_s,
            .pubDate = u"Fri, 01 Mar 2024 09:00:00 +0000"_s,
        },
    };
    EXPECT_EQ(parseItems(fixture(u"lumen-appcast.xml"_s)), expected);
}

TEST(SparkleAppcastParserTest, ChoosesTheNewestReleaseARealFeedOffersThisSystem)
{
    struct Row {
        QString running;
        bool includePrereleases;
        std::optional<QString> title;
    };
    const std::vector<Row> rows{
        {u"14.0.0"_s, false, u"Version 2.4"_s}, // not the beta, the nightly, 3.0 (needs 15) or Windows
        {u"14.0.0"_s, true, u"Version 2.6 (nightly 2024-06-20)"_s},
        {u"15.0"_s, false, u"Version 3.0"_s},
        {u"12.7.5"_s, false, u"Version 2.3.1"_s},
        {u"11.0"_s, false, u"Version 2.2"_s},
    };
    const QByteArray feed = fixture(u"lumen-appcast.xml"_s);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.running.toStdString() + (row.includePrereleases ? " with prereleases" : ""));
        const auto chosen = SparkleAppcastParser::latestCompatibleItem(feed, row.running, row.includePrereleases);
        EXPECT_EQ(chosen ? std::optional(chosen->title) : std::nullopt, row.title);
    }
}

TEST(SparkleAppcastParserTest, ReadsTheFieldsOfOneItem)
{
    struct Row {
        const char* name;
        QByteArray item;
        std::optional<SparkleAppcastItem> expected; // nullopt: the item is dropped
    };
    const std::vector<Row> rows{
        {"a build version element alone is also the short version",
            "<item><sparkle:version>512</sparkle:version></item>", release(u"512"_s, u"512"_s)},
        {"a build version attribute alone is also the short version",
            R"(<item><enclosure url="https://x.example/a.zip" sparkle:version="77"/></item>)",
            SparkleAppcastItem{
                .shortVersionString = u"77"_s, .buildVersion = u"77"_s, .downloadURL = u"https://x.example/a.zip"_s}},
        {"unprefixed attributes stand in for missing or blank prefixed ones",
            R"(<item><enclosure sparkle:shortVersionString=" " shortVersionString="1.0" version="3")"
            R"( sparkle:os="" os="macos"/></item>)",
            SparkleAppcastItem{.shortVersionString = u"1.0"_s, .buildVersion = u"3"_s, .operatingSystem = u"macos"_s}},
        {"an item without any version is dropped",
            R"(<item><title>Version 9</title><enclosure url="https://x.example/9.zip"/></item>)", std::nullopt},
        {"element names match in any letter case",
            "<ITEM><TITLE>T</TITLE><Sparkle:ShortVersionString>1.1</Sparkle:ShortVersionString>"
            "<SPARKLE:VERSION>11</SPARKLE:VERSION><PubDate>d</PubDate><LINK>l</LINK>"
            "<Sparkle:ReleaseNotesLink>n</Sparkle:ReleaseNotesLink>"
            "<Sparkle:MinimumSystemVersion>13.1</Sparkle:MinimumSystemVersion></ITEM>",
            SparkleAppcastItem{.title = u"T"_s,
                .shortVersionString = u"1.1"_s,
                .buildVersion = u"11"_s,
                .releaseNotesURL = u"n"_s,
                .minimumSystemVersion = u"13.1"_s,
                .pubDate = u"d"_s}},
        {"a name beyond ASCII matches where it lower-cases letter by letter to the name",
            "<item><LIN\u212A>l</LIN\u212A><T\u0130TLE>t</T\u0130TLE><sparkle:version>1</sparkle:version></item>",
            SparkleAppcastItem{.shortVersionString = u"1"_s, .buildVersion = u"1"_s, .releaseNotesURL = u"l"_s}},
        {"attribute names match only as written",
            R"(<item><enclosure url="u" sparkle:Version="9" SPARKLE:shortVersionString="9.0" Url="v"/></item>)",
            std::nullopt},
        {"blank values keep the earlier ones",
            "<item><title>First</title><title>   </title><sparkle:version>5</sparkle:version>"
            "<sparkle:version>\n</sparkle:version><enclosure url=\"a\" sparkle:version=\"  \"/><enclosure url=\" \"/>"
            "<pubDate>p</pubDate><pubDate/></item>",
            SparkleAppcastItem{.title = u"First"_s,
                .shortVersionString = u"5"_s,
                .buildVersion = u"5"_s,
                .downloadURL = u"a"_s,
                .pubDate = u"p"_s}},
        {"text in CDATA blocks is not collected",
            "<item><title><![CDATA[Version 2.0]]></title><sparkle:version><![CDATA[200]]></sparkle:version>"
            "<sparkle:shortVersionString>2.0</sparkle:shortVersionString></item>",
            release(u"2.0"_s)},
        {"entities and character references are text",
            "<item><title>Fish &amp; Chips &#8211; 2</title><sparkle:version>2</sparkle:version></item>",
            release(u"2"_s, u"2"_s, u"Fish & Chips \u2013 2"_s)},
        {"the link stands in for a missing release-notes link",
            "<item><link> https://x.example/r </link><sparkle:version>1</sparkle:version></item>",
            SparkleAppcastItem{
                .shortVersionString = u"1"_s, .buildVersion = u"1"_s, .releaseNotesURL = u"https://x.example/r"_s}},
        {"a release-notes link wins over the link, in either order",
            "<item><sparkle:releaseNotesLink>n</sparkle:releaseNotesLink><link>l</link>"
            "<sparkle:version>1</sparkle:version></item>",
            SparkleAppcastItem{.shortVersionString = u"1"_s, .buildVersion = u"1"_s, .releaseNotesURL = u"n"_s}},
        {"later values override earlier ones",
            "<item><sparkle:version>1</sparkle:version><enclosure url=\"first\" sparkle:version=\"2\" "
            "sparkle:shortVersionString=\"1.0\"/><enclosure url=\"second\"/>"
            "<sparkle:shortVersionString>1.1</sparkle:shortVersionString></item>",
            SparkleAppcastItem{.shortVersionString = u"1.1"_s, .buildVersion = u"2"_s, .downloadURL = u"second"_s}},
        {"enclosures of delta updates do not replace the release's own",
            "<item><enclosure url=\"full.zip\" sparkle:version=\"5\"/><sparkle:deltas>"
            "<enclosure url=\"5-4.delta\" sparkle:version=\"6\" sparkle:shortVersionString=\"6.0\" "
            "sparkle:minimumSystemVersion=\"15\" sparkle:os=\"windows\"/></sparkle:deltas></item>",
            SparkleAppcastItem{.shortVersionString = u"5"_s, .buildVersion = u"5"_s, .downloadURL = u"full.zip"_s}},
        {"versions inside other sparkle elements do not replace the release's own",
            "<item><sparkle:version>5</sparkle:version><sparkle:informationalUpdate>"
            "<sparkle:version>4</sparkle:version><sparkle:shortVersionString>4.0</sparkle:shortVersionString>"
            "<title>Other</title></sparkle:informationalUpdate></item>",
            release(u"5"_s, u"5"_s)},
        {"a nested element alone gives the release no version",
            "<item><sparkle:informationalUpdate><sparkle:version>4</sparkle:version>"
            "</sparkle:informationalUpdate></item>",
            std::nullopt},
        {"the release channel is kept, trimmed",
            "<item><sparkle:channel> beta </sparkle:channel><sparkle:version>7</sparkle:version></item>",
            SparkleAppcastItem{.shortVersionString = u"7"_s, .buildVersion = u"7"_s, .channel = u"beta"_s}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<SparkleAppcastItem> expected;
        if (row.expected)
            expected.push_back(*row.expected);
        EXPECT_EQ(parseItems(feedWithItems(row.item)), expected);
    }
}

TEST(SparkleAppcastParserTest, ParsesNothingEmptyOrAboveTheLimit)
{
    EXPECT_TRUE(parseItems({}).empty());
    EXPECT_EQ(parseItems(paddedFeedOffering("4.2", SparkleAppcastParser::maxFeedBytes)).size(), 1u);
    EXPECT_TRUE(parseItems(paddedFeedOffering("4.2", SparkleAppcastParser::maxFeedBytes + 1)).empty());
}

TEST(SparkleAppcastParserTest, KeepsTheItemsCompletedBeforeADocumentBreaks)
{
    const QByteArray two = "<item><sparkle:version>1</sparkle:version></item>"
                           "<item><sparkle:version>2</sparkle:version></item>";
    const std::vector<SparkleAppcastItem> expected{release(u"1"_s, u"1"_s), release(u"2"_s, u"2"_s)};
    const QByteArray cut = feedWithItems(two + "<item><sparkle:version>3</sparkle:version><enclosure url=\"htt");
    const QByteArray mismatched = feedWithItems(two + "<item><sparkle:version>3</sparkle:version></channel></item>");
    const QByteArray garbage = feedWithItems(two + "<item><sparkle:version>3</sparkle:version>&nbsp;</item>");
    // Nesting that deep is refused rather than followed.
    const QByteArray deep = feedWithItems(two + "<item><sparkle:version>3</sparkle:version>"
        + QByteArray("<x>").repeated(300) + QByteArray("</x>").repeated(300) + "</item>");
    for (const QByteArray& broken : {cut, mismatched, garbage, deep}) {
        SCOPED_TRACE(broken.right(60).toStdString());
        EXPECT_EQ(parseItems(broken), expected);
    }
}

TEST(SparkleAppcastParserTest, ExpandsTheDocumentsOwnEntitiesInTextAndAttributes)
{
    const QByteArray feed = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n"
                            "  <!ENTITY host \"downloads.example.com\">\n"
                            "  <!ENTITY maker \"Lumen &amp; Co\">\n"
                            "  <!ENTITY zip \"&maker; &#8211; archive\">\n"
                            "]>\n<rss xmlns:sparkle=\"https://example.com/xml-namespaces/sparkle\"><channel><item>"
                            "<title>&maker; 2</title><enclosure url=\"https://&host;/a.zip?x=1&amp;y=2&#38;z=3\" "
                            "sparkle:version=\"&#50;\" sparkle:shortVersionString=\"&zip;\"/>"
                            "</item></channel></rss>";
    const SparkleAppcastItem expected{.title = u"Lumen & Co 2"_s,
        .shortVersionString = u"Lumen & Co \u2013 archive"_s,
        .buildVersion = u"2"_s,
        .downloadURL = u"https://downloads.example.com/a.zip?x=1&y=2&z=3"_s};
    EXPECT_EQ(parseItems(feed), std::vector{expected});
}

TEST(SparkleAppcastParserTest, NeverLoadsExternalEntitiesOrExpandsABomb)
{
    LoopbackHttpServer server;
    const QByteArray remote = server.url(u"/entity"_s).toUtf8();
    server.setResponse(u"/entity"_s, LoopbackHttpServer::Response::ok("<!ENTITY injected \"9.9\">"));
    const QByteArray external = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss SYSTEM \"" + remote
        + "\" [\n"
          "  <!ENTITY local \"Local\">\n"
          "  <!ENTITY ext SYSTEM \""
        + remote
        + "\">\n"
          "  <!ENTITY % remote SYSTEM \""
        + remote
        + "\">\n"
          "  %remote;\n"
          "]>\n"
          "<rss><channel><item><title>&local; &ext;</title>"
          "<sparkle:version>1.0</sparkle:version></item></channel></rss>";
    QByteArray bombs = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n  <!ENTITY l0 \"lol\">\n";
    for (int level = 1; level < 10; ++level) {
        const QByteArray previous = "&l" + QByteArray::number(level - 1) + ';';
        bombs += "  <!ENTITY l" + QByteArray::number(level) + " \"" + previous.repeated(10) + "\">\n";
    }
    bombs += "]>\n<rss><channel><item><sparkle:version>1</sparkle:version></item>";
    const QByteArray inText
        = bombs + "<item><title>&l9;</title><sparkle:version>2</sparkle:version></item></channel></rss>";
    const QByteArray inAttribute
        = bombs + "<item><enclosure url=\"&l9;\" sparkle:version=\"2\"/></item></channel></rss>";

    // The external entity stays unexpanded; the internal one is text.
    EXPECT_EQ(parseItems(external), std::vector{release(u"1.0"_s, u"1.0"_s, u"Local"_s)});
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(server.maxOpenConnections(), 0);
    // A billion copies of "lol" are refused as the document's error: the items before it remain.
    for (const QByteArray& bomb : {inText, inAttribute})
        EXPECT_EQ(parseItems(bomb), std::vector{release(u"1"_s, u"1"_s)});
}

TEST(SparkleAppcastSelectionTest, AcceptsOnlyItemsThisSystemMayInstall)
{
    struct Row {
        const char* name;
        SparkleAppcastItem item;
        bool withoutPrereleases;
        bool withPrereleases;
    };
    const auto on = [](std::optional<QString> system) {
        return SparkleAppcastItem{.shortVersionString = u"2.0"_s, .operatingSystem = std::move(system)};
    };
    const auto needing = [](QString minimum) {
        return SparkleAppcastItem{.shortVersionString = u"2.0"_s, .minimumSystemVersion = std::move(minimum)};
    };
    const auto onChannel = [](QString channel) {
        return SparkleAppcastItem{.shortVersionString = u"2.0"_s, .channel = std::move(channel)};
    };
    const std::vector<Row> rows{
        {"no operating system", on(std::nullopt), true, true},
        {"macos", on(u"macos"_s), true, true},
        {"padded mixed-case macOS", on(u"  MacOS \n"_s), true, true},
        {"OSX", on(u"OSX"_s), true, true},
        {"empty operating system", on(u""_s), true, true},
        {"blank operating system", on(u"   "_s), true, true},
        {"windows", on(u"windows"_s), false, false},
        {"linux", on(u"linux"_s), false, false},
        {"macos-arm64", on(u"macos-arm64"_s), false, false},
        {"minimum equal to the running version", needing(u"14.0.0"_s), true, true},
        {"minimum 14.0", needing(u"14.0"_s), true, true},
        {"minimum 13.6", needing(u" 13.6 "_s), true, true},
        {"blank minimum", needing(u"  "_s), true, true},
        {"minimum 14.0.1", needing(u"14.0.1"_s), false, false},
        {"minimum 15", needing(u"15"_s), false, false},
        {"hyphenated prerelease", release(u"2.0-beta.1"_s), false, true},
        {"glued prerelease tag", release(u"2.0b3"_s), false, true},
        {"prerelease only in the build", release({}, u"2.0-rc.1"_s), false, true},
        {"release on the beta channel", onChannel(u"beta"_s), false, true},
        {"release on the nightly channel", onChannel(u"nightly"_s), false, true},
        {"blank channel", onChannel(u"  "_s), true, true},
        {"no version at all", release({}, {}), false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SparkleAppcastParser::selectHighestCompatible({row.item}, kSonoma, false).has_value(),
            row.withoutPrereleases);
        EXPECT_EQ(
            SparkleAppcastParser::selectHighestCompatible({row.item}, kSonoma, true).has_value(), row.withPrereleases);
    }
}

TEST(SparkleAppcastSelectionTest, PicksTheNewestVersionThenTheNewestBuildThenTheFirst)
{
    struct Row {
        const char* name;
        std::vector<SparkleAppcastItem> items;
        bool includePrereleases;
        std::optional<QString> title;
    };
    const std::vector<Row> rows{
        {"nothing to choose from", {}, true, std::nullopt},
        {"not in version order",
            {release(u"1.2"_s, {}, u"a"_s), release(u"3.0"_s, {}, u"b"_s), release(u"2.5"_s, {}, u"c"_s)}, false,
            u"b"_s},
        {"1.10 after 1.9", {release(u"1.10"_s, {}, u"a"_s), release(u"1.9"_s, {}, u"b"_s)}, false, u"a"_s},
        {"a release after its prerelease", {release(u"2.0-beta.1"_s, {}, u"a"_s), release(u"2.0"_s, {}, u"b"_s)}, true,
            u"b"_s},
        {"a release after its prerelease, listed first",
            {release(u"2.0"_s, {}, u"a"_s), release(u"2.0-beta.1"_s, {}, u"b"_s)}, true, u"a"_s},
        {"the prerelease is skipped without prereleases",
            {release(u"2.0-beta.1"_s, {}, u"a"_s), release(u"1.9"_s, {}, u"b"_s)}, false, u"b"_s},
        {"the newer build of the same version",
            {release(u"1.4"_s, u"200"_s, u"a"_s), release(u"1.4"_s, u"201"_s, u"b"_s)}, false, u"b"_s},
        {"the newer build of the same version, listed first",
            {release(u"1.4"_s, u"201"_s, u"a"_s), release(u"1.4"_s, u"200"_s, u"b"_s)}, false, u"a"_s},
        {"builds count only when both have one", {release(u"1.4"_s, {}, u"a"_s), release(u"1.4"_s, u"201"_s, u"b"_s)},
            false, u"a"_s},
        {"equal items: the first", {release(u"1.4"_s, u"200"_s, u"a"_s), release(u"1.4"_s, u"200"_s, u"b"_s)}, false,
            u"a"_s},
        {"versions that compare the same: the first", {release(u"1.4"_s, {}, u"a"_s), release(u"1.4.0"_s, {}, u"b"_s)},
            false, u"a"_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(chosenTitle(row.items, kSonoma, row.includePrereleases), row.title);
    }
}

TEST(SparkleAppcastNewerTest, ComparesShortVersionsThenBuilds)
{
    struct Row {
        QString itemShort;
        QString itemBuild;
        QString installedShort;
        QString installedBuild;
        bool newer;
    };
    const std::vector<Row> rows{
        {u"1.10"_s, {}, u"1.2"_s, {}, true},
        {u"1.1"_s, u"999"_s, u"1.2"_s, u"1"_s, false},
        {u"1.2"_s, u"101"_s, u"1.2"_s, u"100"_s, true},
        {u"1.2"_s, u"99"_s, u"1.2"_s, u"100"_s, false},
        {u"1.2"_s, {}, u"1.2"_s, u"100"_s, false},
        {u"1.2"_s, u"101"_s, u"1.2"_s, {}, false},
        {u"1.2"_s, {}, u"1.2"_s, {}, false},
        {u" 2.0 "_s, {}, u"\t1.0\n"_s, {}, true},
        {u"1.2.0"_s, u" 101 "_s, u"1.2"_s, u"100"_s, true},
        // Without two short versions the item's version meets whichever installed one is there.
        {u"300"_s, u"300"_s, {}, u"200"_s, true},
        {u"2.0"_s, {}, {}, u"100"_s, false},
        {u"2.0"_s, {}, u"   "_s, u"1.5"_s, true},
        {u"2.0"_s, {}, {}, {}, true},
        {u"   "_s, u"5"_s, u"1.0"_s, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(("item " + row.itemShort + "/" + row.itemBuild + " installed " + row.installedShort + "/"
            + row.installedBuild)
                         .toStdString());
        const SparkleAppcastItem item = release(row.itemShort, row.itemBuild);
        EXPECT_EQ(SparkleAppcastParser::isItemNewer(item, row.installedShort, row.installedBuild), row.newer);
    }
}

} // namespace
