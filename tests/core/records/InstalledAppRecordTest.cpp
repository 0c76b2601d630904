#include "core/records/InstalledAppRecord.h"
#include "tests/core/records/RecordJsonChecks.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QSet>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QDateTime march1(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC);

// Every field set away from its default, so that a field lost or ignored anywhere shows.
AppRecordBuilder editor()
{
    return AppRecordBuilder(u"Editor"_s)
        .bundleID(u"com.example.editor"_s)
        .installedVersion(u"2.1"_s)
        .buildVersion(u"412"_s)
        .latestVersion(u"2.2"_s)
        .updateAvailable()
        .releaseNotesURL(u"https://example.com/notes"_s)
        .downloadURL(u"https://example.com/dl"_s)
        .sparkleFeedURL(u"https://example.com/appcast.xml"_s)
        .homebrewCaskToken(u"editor"_s)
        .origin(AppOriginKind::sparkle)
        .architecture(AppArchitecture::universal)
        .sizeBytes(123456789012LL)
        .modifiedAt(march1)
        .lastCheckedAt(march1.addSecs(3600));
}

} // namespace

TEST(InstalledAppRecordTest, IdComesFromBundleAndPathUnlessGiven)
{
    struct Case {
        const char* label;
        std::optional<QString> id;
        QString bundleID;
        QString expectedId;
    };
    const Case cases[] = {
        {"bundle identifier and path", std::nullopt, QStringLiteral("com.example.editor"),
            QStringLiteral("com.example.editor::/Applications/Editor.app")},
        {"no bundle identifier", std::nullopt, QString(), QStringLiteral("/Applications/Editor.app")},
        {"blank bundle identifier is not empty", std::nullopt, QStringLiteral(" "),
            QStringLiteral(" ::/Applications/Editor.app")},
        {"given id", QStringLiteral("custom"), QStringLiteral("com.example.editor"), QStringLiteral("custom")},
        {"given empty id", QString(), QStringLiteral("com.example.editor"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const InstalledAppRecord record
            = AppRecordBuilder(u"Editor"_s).path(u"/Applications/Editor.app"_s).bundleID(c.bundleID).id(c.id).build();
        EXPECT_EQ(record.id(), c.expectedId);
    }
}

TEST(InstalledAppRecordTest, DisplayVersionFallsBackToBuildThenDash)
{
    struct Case {
        QString installed;
        QString build;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("2.1"), QStringLiteral("412"), QStringLiteral("2.1")},
        {QString(), QStringLiteral("412"), QStringLiteral("412")},
        {QString(), QString(), QStringLiteral("\u2014")},
        {QStringLiteral(" "), QStringLiteral("412"), QStringLiteral(" ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed.toStdString() + "/" + c.build.toStdString());
        const InstalledAppRecord record
            = AppRecordBuilder(u"Editor"_s).installedVersion(c.installed).buildVersion(c.build).build();
        EXPECT_EQ(record.displayVersion(), c.expected);
    }
}

TEST(InstalledAppRecordTest, EnumerationsHaveTheirRawValuesAndLabels)
{
    EXPECT_EQ(allCases<AppOriginKind>(),
        (std::vector{AppOriginKind::quorvane, AppOriginKind::homebrewCask, AppOriginKind::appStore,
            AppOriginKind::sparkle, AppOriginKind::direct}));
    EXPECT_EQ(rawValue(AppOriginKind::homebrewCask), QStringLiteral("homebrewCask"));
    EXPECT_EQ(fromRawValue<AppOriginKind>(u"appStore"), AppOriginKind::appStore);
    EXPECT_EQ(fromRawValue<AppOriginKind>(u"AppStore"), std::nullopt);

    struct Case {
        AppArchitecture architecture;
        const char* raw;
        const char* label;
    };
    const Case cases[] = {
        {AppArchitecture::appleSilicon, "appleSilicon", "Apple Silicon"},
        {AppArchitecture::intel, "intel", "Intel"},
        {AppArchitecture::universal, "universal", "Universal"},
        {AppArchitecture::unknown, "unknown", "Unknown"},
    };
    std::vector<AppArchitecture> order;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        order.push_back(c.architecture);
        EXPECT_EQ(rawValue(c.architecture), QLatin1String(c.raw));
        EXPECT_EQ(shortLabel(c.architecture), QLatin1String(c.label));
    }
    EXPECT_EQ(allCases<AppArchitecture>(), order);
}

TEST(InstalledAppRecordTest, JsonKeyRules)
{
    RecordJsonChecks::expectKeyRules(editor().build(),
        {"id", "name", "bundleID", "path", "installedVersion", "buildVersion", "updateAvailable", "origin",
            "architecture", "sizeBytes"},
        {"latestVersion", "releaseNotesURL", "downloadURL", "sparkleFeedURL", "homebrewCaskToken", "modifiedAt",
            "lastCheckedAt"});
    RecordJsonChecks::expectRejectedTexts(
        editor().build(), QStringLiteral("origin"), {"homebrew", "AppStore", "", "Sparkle"});
    RecordJsonChecks::expectRejectedTexts(editor().build(), QStringLiteral("architecture"), {"arm64", "Intel"});
    RecordJsonChecks::expectRejectedTexts(editor().build(), QStringLiteral("modifiedAt"), {"yesterday", "2025-03-01"});
}

TEST(InstalledAppRecordTest, DecodingKeepsTheStoredIdAndWritesNoNulls)
{
    const InstalledAppRecord record
        = editor().id(u"stored-id"_s).downloadURL(std::nullopt).latestVersion(std::nullopt).build();
    const QByteArray text = truneJsonSerialize(record);
    EXPECT_FALSE(text.contains("downloadURL"));
    EXPECT_FALSE(text.contains("null"));
    EXPECT_TRUE(text.contains("\"sizeBytes\":123456789012"));
    EXPECT_TRUE(text.contains("\"modifiedAt\":\"2025-03-01T08:30:00Z\""));
    const auto decoded = truneJsonDecode<InstalledAppRecord>(text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->id(), QStringLiteral("stored-id"));
    EXPECT_EQ(*decoded, record);
}

TEST(InstalledAppRecordTest, EveryFieldTakesPartInEqualityAndHashing)
{
    using Change = std::function<void(InstalledAppRecord&)>;
    const std::pair<const char*, Change> changes[] = {
        {"name", [](auto& r) { r.name += "x"; }},
        {"bundleID", [](auto& r) { r.bundleID += "x"; }},
        {"path", [](auto& r) { r.path += "x"; }},
        {"installedVersion", [](auto& r) { r.installedVersion += "x"; }},
        {"buildVersion", [](auto& r) { r.buildVersion += "x"; }},
        {"latestVersion", [](auto& r) { r.latestVersion.reset(); }},
        {"updateAvailable", [](auto& r) { r.updateAvailable = false; }},
        {"releaseNotesURL", [](auto& r) { r.releaseNotesURL = QString(); }},
        {"downloadURL", [](auto& r) { r.downloadURL.reset(); }},
        {"sparkleFeedURL", [](auto& r) { r.sparkleFeedURL.reset(); }},
        {"homebrewCaskToken", [](auto& r) { r.homebrewCaskToken.reset(); }},
        {"origin", [](auto& r) { r.origin = AppOriginKind::homebrewCask; }},
        {"architecture", [](auto& r) { r.architecture = AppArchitecture::intel; }},
        {"sizeBytes", [](auto& r) { r.sizeBytes = 0; }},
        {"modifiedAt", [](auto& r) { r.modifiedAt.reset(); }},
        {"lastCheckedAt", [](auto& r) { r.lastCheckedAt = r.lastCheckedAt->addSecs(1); }},
    };
    const InstalledAppRecord original = editor().build();
    EXPECT_EQ(qHash(editor().build(), 7), qHash(original, 7));
    QSet<InstalledAppRecord> all{original};
    for (const auto& [field, change] : changes) {
        SCOPED_TRACE(field);
        InstalledAppRecord changed = original;
        change(changed);
        EXPECT_EQ(changed.id(), original.id());
        EXPECT_NE(changed, original);
        EXPECT_NE(qHash(changed, 7), qHash(original, 7));
        all.insert(changed);
    }
    EXPECT_EQ(all.size(), std::size(changes) + 1);
    EXPECT_NE(editor().id(u"other"_s).build(), original);
}
