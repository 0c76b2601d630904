#include "core/records/HomebrewItem.h"
#include "tests/core/records/RecordJsonChecks.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

HomebrewItem makeItem(const QString& name, bool isCask, bool isInstalled, bool installedOnRequest)
{
    return HomebrewItem(name, std::nullopt, isCask, isInstalled ? std::optional(QStringLiteral("1.0")) : std::nullopt,
                        QStringLiteral("1.1"), true, QStringLiteral("A tool"), QStringLiteral("https://example.com"),
                        isInstalled, isCask ? QStringList{QStringLiteral("Tool.app")} : QStringList{},
                        installedOnRequest);
}

} // namespace

TEST(HomebrewItemTest, IdIsKindAndNameUnchanged)
{
    struct Case {
        QString name;
        bool isCask;
        QString expectedId;
    };
    const Case cases[] = {
        {QStringLiteral("wget"), false, QStringLiteral("formula::wget")},
        {QStringLiteral("Firefox"), true, QStringLiteral("cask::Firefox")},
        {QStringLiteral(" spaced "), false, QStringLiteral("formula:: spaced ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedId.toStdString());
        EXPECT_EQ(makeItem(c.name, c.isCask, true, true).id(), c.expectedId);
    }
    EXPECT_NE(makeItem(QStringLiteral("git"), true, true, true), makeItem(QStringLiteral("git"), false, true, true));
}

TEST(HomebrewItemTest, FullNameDefaultsToName)
{
    EXPECT_EQ(makeItem(QStringLiteral("wget"), false, true, true).fullName, QStringLiteral("wget"));
    const HomebrewItem tapped(QStringLiteral("tool"), QStringLiteral("user/tap/tool"), false, std::nullopt, QString(),
                              false, QString(), std::nullopt, false, {}, false);
    EXPECT_EQ(tapped.fullName, QStringLiteral("user/tap/tool"));
    EXPECT_EQ(tapped.id(), QStringLiteral("formula::tool"));
}

TEST(HomebrewItemTest, OnlyInstalledFormulaeNotAskedForAreDependencies)
{
    struct Case {
        const char* label;
        bool isCask;
        bool isInstalled;
        bool installedOnRequest;
        bool expected;
    };
    const Case cases[] = {
        {"installed formula, as a dependency", false, true, false, true},
        {"installed formula, on request", false, true, true, false},
        {"formula not installed", false, false, false, false},
        {"installed cask, not on request", true, true, false, false},
        {"cask not installed", true, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(makeItem(QStringLiteral("x"), c.isCask, c.isInstalled, c.installedOnRequest).isDependencyOnly(),
                  c.expected);
    }
}

TEST(HomebrewItemTest, JsonKeyRules)
{
    const HomebrewItem cask = makeItem(QStringLiteral("firefox"), true, true, true);
    RecordJsonChecks::expectKeyRules(cask,
                                     {"id", "name", "fullName", "isCask", "latestVersion", "isOutdated", "description",
                                      "isInstalled", "appArtifacts", "installedOnRequest"},
                                     {"installedVersion", "homepage"});

    QJsonObject json = truneJsonEncode(cask).toObject();
    json.insert(QStringLiteral("appArtifacts"), QJsonArray{QStringLiteral("Firefox.app"), 2});
    const auto badArtifact = truneJsonDecode<HomebrewItem>(QJsonValue(json));
    ASSERT_FALSE(badArtifact.has_value());
    EXPECT_EQ(badArtifact.error().keyPath, QStringLiteral("appArtifacts[1]"));
}

TEST(HomebrewItemTest, DecodingKeepsTheStoredId)
{
    QJsonObject json = truneJsonEncode(makeItem(QStringLiteral("wget"), false, true, true)).toObject();
    json.insert(QStringLiteral("id"), QStringLiteral("renamed"));
    const auto decoded = truneJsonDecode<HomebrewItem>(QJsonValue(json));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->id(), QStringLiteral("renamed"));
    EXPECT_EQ(truneJsonEncode(*decoded).toObject(), json);
}

TEST(HomebrewItemTest, EveryFieldTakesPartInEqualityAndHashing)
{
    using Change = void (*)(HomebrewItem&);
    const std::pair<const char*, Change> changes[] = {
        {"name", [](HomebrewItem& i) { i.name += "x"; }},
        {"fullName", [](HomebrewItem& i) { i.fullName += "x"; }},
        {"isCask", [](HomebrewItem& i) { i.isCask = false; }},
        {"installedVersion", [](HomebrewItem& i) { i.installedVersion.reset(); }},
        {"latestVersion", [](HomebrewItem& i) { i.latestVersion += "x"; }},
        {"isOutdated", [](HomebrewItem& i) { i.isOutdated = false; }},
        {"description", [](HomebrewItem& i) { i.description += "x"; }},
        {"homepage", [](HomebrewItem& i) { i.homepage.reset(); }},
        {"isInstalled", [](HomebrewItem& i) { i.isInstalled = false; }},
        {"appArtifacts", [](HomebrewItem& i) { i.appArtifacts.append(QStringLiteral("Other.app")); }},
        {"installedOnRequest", [](HomebrewItem& i) { i.installedOnRequest = false; }},
    };
    const HomebrewItem original = makeItem(QStringLiteral("firefox"), true, true, true);
    QSet<HomebrewItem> all{original};
    for (const auto& [field, change] : changes) {
        SCOPED_TRACE(field);
        HomebrewItem changed = original;
        change(changed);
        EXPECT_NE(changed, original);
        EXPECT_NE(qHash(changed, 7), qHash(original, 7));
        all.insert(changed);
    }
    EXPECT_EQ(all.size(), std::size(changes) + 1);
}
