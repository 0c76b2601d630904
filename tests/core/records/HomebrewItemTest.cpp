#include "core/records/HomebrewItem.h"
#include "tests/core/records/RecordJsonChecks.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// Every optional field set, so that a field lost anywhere shows.
HomebrewItemBuilder described(const QString& name)
{
    return HomebrewItemBuilder(name)
        .installedVersion(u"1.0"_s)
        .latestVersion(u"1.1"_s)
        .outdated()
        .description(u"A tool"_s)
        .homepage(u"https://example.com"_s);
}

// A cask with every field away from its default.
HomebrewItem firefoxCask()
{
    return described(u"firefox"_s).cask().appArtifacts({u"Tool.app"_s}).build();
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
        EXPECT_EQ(HomebrewItemBuilder(c.name).cask(c.isCask).build().id(), c.expectedId);
    }
    EXPECT_NE(HomebrewItemBuilder(u"git"_s).cask().build(), HomebrewItemBuilder(u"git"_s).build());
}

TEST(HomebrewItemTest, FullNameDefaultsToName)
{
    EXPECT_EQ(HomebrewItemBuilder(u"wget"_s).build().fullName, u"wget"_s);
    const HomebrewItem tapped = HomebrewItemBuilder(u"tool"_s).fullName(u"user/tap/tool"_s).build();
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
        const HomebrewItem item = HomebrewItemBuilder(u"x"_s)
                                      .cask(c.isCask)
                                      .installed(c.isInstalled)
                                      .installedOnRequest(c.installedOnRequest)
                                      .build();
        EXPECT_EQ(item.isDependencyOnly(), c.expected);
    }
}

TEST(HomebrewItemTest, JsonKeyRules)
{
    const HomebrewItem cask = firefoxCask();
    RecordJsonChecks::expectKeyRules(cask,
        {"id", "name", "fullName", "isCask", "latestVersion", "isOutdated", "description", "isInstalled",
            "appArtifacts", "installedOnRequest"},
        {"installedVersion", "homepage"});

    QJsonObject json = truneJsonEncode(cask).toObject();
    json.insert(QStringLiteral("appArtifacts"), QJsonArray{QStringLiteral("Firefox.app"), 2});
    const auto badArtifact = truneJsonDecode<HomebrewItem>(QJsonValue(json));
    ASSERT_FALSE(badArtifact.has_value());
    EXPECT_EQ(badArtifact.error().keyPath, QStringLiteral("appArtifacts[1]"));
}

TEST(HomebrewItemTest, DecodingKeepsTheStoredId)
{
    QJsonObject json = truneJsonEncode(described(u"wget"_s).build()).toObject();
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
    const HomebrewItem original = firefoxCask();
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
