#include "core/homebrew/HomebrewState.h"

#include "tests/core/homebrew/HomebrewTestItems.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <future>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using namespace HomebrewTestItems;

const QLocale english(QLocale::English, QLocale::UnitedStates);

QByteArray fixture(const char* name)
{
    const QByteArray bytes
        = FakeBrew::fileContents(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/") + QLatin1String(name));
    if (bytes.isEmpty())
        ADD_FAILURE() << "missing fixture " << name;
    return bytes;
}

// The one item of a document holding a single cask (or formula) written as JSON text.
HomebrewItem onlyItemOf(const QByteArray& document)
{
    const auto snapshot = HomebrewService::parseInstalledInfoJSON(document);
    if (!snapshot) {
        ADD_FAILURE() << snapshot.error().description().toStdString();
        return HomebrewItemBuilder(u"<failed>"_s).cask().build();
    }
    const auto& items = snapshot->casks.empty() ? snapshot->formulae : snapshot->casks;
    if (items.size() != 1) {
        ADD_FAILURE() << "expected one item, got " << items.size();
        return HomebrewItemBuilder(u"<failed>"_s).cask().build();
    }
    return items.front();
}

QByteArray caskDocument(const QByteArray& extraKeys)
{
    return R"({"casks": [{"token": "lumen", "version": "2.0")" + (extraKeys.isEmpty() ? "" : ", " + extraKeys) + "}]}";
}

QByteArray formulaDocument(const QByteArray& installed, const QByteArray& extraKeys = {})
{
    return R"({"formulae": [{"name": "zstd", "installed": )" + installed + (extraKeys.isEmpty() ? "" : ", " + extraKeys)
        + "}]}";
}

HomebrewOutdatedEntry entry(
    const QString& name, bool isCask, QStringList installed, const QString& current, bool pinned = false)
{
    return {
        .name = name, .isCask = isCask, .installedVersions = installed, .currentVersion = current, .isPinned = pinned};
}

TEST(HomebrewStateTest, ReadsTheInstalledPackagesOfARealDocumentInHomebrewsOrder)
{
    const auto snapshot = HomebrewService::parseInstalledInfoJSON(fixture("info-installed.json"));
    ASSERT_TRUE(snapshot) << snapshot.error().description().toStdString();

    const std::vector<HomebrewItem> formulae{
        HomebrewItemBuilder(u"wget"_s)
            .fullName(u"wget"_s)
            .installedVersion(u"1.24.5"_s)
            .latestVersion(u"1.24.5"_s)
            .description(u"Internet file retriever"_s)
            .homepage(u"https://www.gnu.org/software/wget/"_s)
            .build(),
        // Two kegs, the later one current; one keg says it was a dependency and the other says
        // nothing: a dependency only.
        HomebrewItemBuilder(u"openssl@3"_s)
            .fullName(u"openssl@3"_s)
            .installedVersion(u"3.3.0"_s)
            .latestVersion(u"3.3.0"_s)
            .description(u"Cryptography and SSL/TLS Toolkit"_s)
            .homepage(u"https://openssl.org/"_s)
            .installedOnRequest(false)
            .build(),
        // One keg asked for is enough.
        HomebrewItemBuilder(u"python@3.12"_s)
            .fullName(u"python@3.12"_s)
            .installedVersion(u"3.12.3"_s)
            .latestVersion(u"3.12.3"_s)
            .description(u"Interpreted, interactive, object-oriented programming language"_s)
            .homepage(u"https://www.python.org/"_s)
            .build(),
        HomebrewItemBuilder(u"postgresql@14"_s)
            .fullName(u"postgresql@14"_s)
            .installedVersion(u"14.10_1"_s)
            .latestVersion(u"14.11_1"_s)
            .outdated()
            .description(u"Object-relational database system"_s)
            .homepage(u"https://www.postgresql.org/"_s)
            .build(),
        HomebrewItemBuilder(u"node"_s)
            .fullName(u"node"_s)
            .installedVersion(u"21.7.1"_s)
            .latestVersion(u"22.1.0"_s)
            .outdated()
            .description(u"Platform built on V8 to build network applications"_s)
            .homepage(u"https://nodejs.org/"_s)
            .build(),
        HomebrewItemBuilder(u"terraform"_s)
            .fullName(u"hashicorp/tap/terraform"_s)
            .installedVersion(u"1.8.1"_s)
            .latestVersion(u"1.8.2"_s)
            .outdated()
            .description(u"Terraform"_s)
            .homepage(u"https://www.terraform.io"_s)
            .build(),
    };
    const std::vector<HomebrewItem> casks{
        HomebrewItemBuilder(u"firefox"_s)
            .cask()
            .fullName(u"Mozilla Firefox"_s)
            .installedVersion(u"124.0.2"_s)
            .latestVersion(u"125.0.3"_s)
            .outdated()
            .description(u"Web browser"_s)
            .homepage(u"https://www.mozilla.org/firefox/"_s)
            .appArtifacts({u"Firefox.app"_s})
            .build(),
        HomebrewItemBuilder(u"visual-studio-code"_s)
            .cask()
            .fullName(u"Microsoft Visual Studio Code"_s)
            .installedVersion(u"1.88.1"_s)
            .latestVersion(u"1.89.0"_s)
            .description(u"Open-source code editor"_s)
            .homepage(u"https://code.visualstudio.com/"_s)
            .appArtifacts({u"Visual Studio Code.app"_s})
            .build(),
        // The {"target": ...} beside the bundle name is passed over.
        HomebrewItemBuilder(u"firefox@developer-edition"_s)
            .cask()
            .fullName(u"Mozilla Firefox Developer Edition"_s)
            .installedVersion(u"126.0b5"_s)
            .latestVersion(u"126.0b9"_s)
            .description(u"Web browser"_s)
            .homepage(u"https://www.mozilla.org/firefox/developer/"_s)
            .appArtifacts({u"Firefox Developer Edition.app"_s})
            .build(),
        // "installed": null
        HomebrewItemBuilder(u"docker"_s)
            .cask()
            .fullName(u"Docker Desktop"_s)
            .latestVersion(u"4.29.0,145265"_s)
            .description(u"App to build and share containerised applications and microservices"_s)
            .homepage(u"https://www.docker.com/products/docker-desktop"_s)
            .installed(false)
            .appArtifacts({u"Docker.app"_s})
            .build(),
        // "installed": ["", "3.4.23"]
        HomebrewItemBuilder(u"iterm2"_s)
            .cask()
            .fullName(u"iTerm2"_s)
            .installedVersion(u"3.4.23"_s)
            .latestVersion(u"3.5.0"_s)
            .description(u"Terminal emulator as alternative to Apple's Terminal app"_s)
            .homepage(u"https://iterm2.com/"_s)
            .appArtifacts({u"iTerm.app"_s})
            .build(),
    };
    EXPECT_EQ(snapshot->formulae, formulae);
    EXPECT_EQ(snapshot->casks, casks);
    EXPECT_EQ(snapshot->casks.front().id(), u"cask::firefox"_s);
    EXPECT_EQ(snapshot->formulae.back().id(), u"formula::terraform"_s);
}

TEST(HomebrewStateTest, ReadsTheOutdatedPackagesOfARealDocument)
{
    const auto snapshot = HomebrewService::parseOutdatedJSON(fixture("outdated.json"));
    ASSERT_TRUE(snapshot) << snapshot.error().description().toStdString();
    const HomebrewOutdatedSnapshot expected{
        .formulae = {entry(u"node"_s, false, {u"21.7.1"_s}, u"22.1.0"_s),
            entry(u"postgresql@14"_s, false, {u"14.10_1"_s}, u"14.11_1"_s, true),
            entry(u"python@3.12"_s, false, {u"3.12.2_1"_s, u"3.12.3"_s}, u"3.12.4"_s)},
        // One cask prints its installed version as text, the others as a list.
        .casks = {entry(u"firefox"_s, true, {u"124.0.2"_s}, u"125.0.3"_s),
            entry(u"visual-studio-code"_s, true, {u"1.88.1"_s}, u"1.89.0"_s),
            entry(u"docker"_s, true, {u"4.28.0,139021"_s}, u"4.29.0,145265"_s)},
    };
    EXPECT_EQ(*snapshot, expected);
}

TEST(HomebrewStateTest, MergingTheRealDocumentsGivesTheCanonicalList)
{
    const auto installed = HomebrewService::parseInstalledInfoJSON(fixture("info-installed.json"));
    const auto outdated = HomebrewService::parseOutdatedJSON(fixture("outdated.json"));
    ASSERT_TRUE(installed && outdated);

    const std::vector<HomebrewItem> trusted = HomebrewService::merge(*installed, *outdated, true, english);
    // Outdated first: docker takes its installed version from `brew outdated`, and is installed
    // although `brew info` says "installed": null; python@3.12 its newer version. The pinned
    // postgresql@14 and terraform, which `brew outdated` leaves out, are current.
    EXPECT_EQ(idsOf(trusted),
        (QStringList{u"cask::docker"_s, u"cask::firefox"_s, u"formula::node"_s, u"formula::python@3.12"_s,
            u"cask::visual-studio-code"_s, u"cask::firefox@developer-edition"_s, u"cask::iterm2"_s,
            u"formula::openssl@3"_s, u"formula::postgresql@14"_s, u"formula::terraform"_s, u"formula::wget"_s}));
    EXPECT_EQ(trusted[0].installedVersion, u"4.28.0,139021"_s);
    EXPECT_TRUE(trusted[0].isInstalled);
    EXPECT_EQ(trusted[3].latestVersion, u"3.12.4"_s);
    EXPECT_EQ(trusted[3].installedVersion, u"3.12.3"_s);
    EXPECT_EQ(trusted[8].latestVersion, u"14.11_1"_s);

    // Without a readable `brew outdated`, the flags of `brew info` stand.
    const std::vector<HomebrewItem> untrusted = HomebrewService::merge(*installed, {}, false, english);
    EXPECT_EQ(idsOf(untrusted),
        (QStringList{u"cask::firefox"_s, u"formula::node"_s, u"formula::postgresql@14"_s, u"formula::terraform"_s,
            u"cask::docker"_s, u"cask::firefox@developer-edition"_s, u"cask::iterm2"_s, u"formula::openssl@3"_s,
            u"formula::python@3.12"_s, u"cask::visual-studio-code"_s, u"formula::wget"_s}));
}

TEST(HomebrewStateTest, FormulaVersionsAndRequestFlagsFollowTheirKegs)
{
    struct Case {
        const char* label;
        QByteArray installed;
        QByteArray extraKeys;
        std::optional<QString> installedVersion;
        QString latestVersion;
        bool isInstalled;
        bool onRequest;
    };
    const Case cases[] = {
        {"the last keg is the installed version", R"([{"version": "1.0"}, {"version": "1.1"}])", {}, u"1.1"_s, u"1.1"_s,
            true, true},
        {"the stable version is the latest", R"([{"version": "1.5.5_1"}])", R"("versions": {"stable": "1.5.6"})",
            u"1.5.5_1"_s, u"1.5.6"_s, true, true},
        {"no kegs: not installed, latest the stable version", "[]", R"("versions": {"stable": "1.5.6", "head": null})",
            std::nullopt, u"1.5.6"_s, false, true},
        {"no kegs and no stable version", "null", R"("versions": {"stable": null})", std::nullopt, QString(), false,
            true},
        {"no keg carries the flag", R"([{"version": "1.0"}, {"version": "1.1"}])", {}, u"1.1"_s, u"1.1"_s, true, true},
        {"false and absent: a dependency", R"([{"version": "1.0", "installed_on_request": false}, {"version": "1.1"}])",
            {}, u"1.1"_s, u"1.1"_s, true, false},
        {"false and true: asked for",
            R"([{"version": "1.0", "installed_on_request": false}, {"version": "1.1", "installed_on_request": true}])",
            {}, u"1.1"_s, u"1.1"_s, true, true},
        {"null flag counts as absent", R"([{"version": "1.0", "installed_on_request": null}])", {}, u"1.0"_s, u"1.0"_s,
            true, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const HomebrewItem formula = onlyItemOf(formulaDocument(row.installed, row.extraKeys));
        EXPECT_EQ(formula.installedVersion, row.installedVersion);
        EXPECT_EQ(formula.latestVersion, row.latestVersion);
        EXPECT_EQ(formula.isInstalled, row.isInstalled);
        EXPECT_EQ(formula.installedOnRequest, row.onRequest);
        EXPECT_FALSE(formula.isCask);
    }
}

TEST(HomebrewStateTest, AFormulaWithoutOptionalKeysFallsBackToItsName)
{
    const HomebrewItem formula
        = onlyItemOf(R"({"formulae": [{"name": "zstd", "full_name": null, "desc": null, "outdated": null}]})");
    EXPECT_EQ(formula, HomebrewItemBuilder(u"zstd"_s).installed(false).build());
}

TEST(HomebrewStateTest, ACasksInstalledVersionAndAppsAreReadFromAnyShape)
{
    struct Case {
        const char* label;
        QByteArray keys;
        std::optional<QString> installedVersion;
        QStringList apps;
    };
    const Case cases[] = {
        {"installed missing", {}, std::nullopt, {}},
        {"installed null", R"("installed": null)", std::nullopt, {}},
        {"installed text", R"("installed": "1.9")", u"1.9"_s, {}},
        {"installed list: blank values are skipped", R"("installed": ["", "  \n", "3.1"])", u"3.1"_s, {}},
        {"installed kept untrimmed", R"("installed": [" 3.1 "])", u" 3.1 "_s, {}},
        {"installed all blank", R"("installed": ["", " "])", std::nullopt, {}},
        {"installed a number", R"("installed": 3)", std::nullopt, {}},
        {"installed an object", R"("installed": {"version": "1.0"})", std::nullopt, {}},
        {"installed a list holding a number", R"("installed": ["1.0", 2])", std::nullopt, {}},
        {"app with a target object", R"("artifacts": [{"app": ["Lumen.app", {"target": "Lumen Pro.app"}]}])",
            std::nullopt, {u"Lumen.app"_s}},
        {"app as one string", R"("artifacts": [{"app": "Lumen.app"}])", std::nullopt, {u"Lumen.app"_s}},
        {"nested lists give their first string",
            R"("artifacts": [{"app": [["Lumen.app", "ignored.app"], null, 7, [3, "no.app"], [], "Helper.app"]}])",
            std::nullopt, {u"Lumen.app"_s, u"Helper.app"_s}},
        {"apps of every artifact in order",
            R"("artifacts": [{"app": ["One.app"]}, {"zap": [{"trash": ["~/x"]}]}, {"app": ["Two.app", "Three.app"]}])",
            std::nullopt, {u"One.app"_s, u"Two.app"_s, u"Three.app"_s}},
        {"artifacts without apps",
            R"("artifacts": ["Lumen.app", ["Lumen.app"], null, 4, {"app": null}, {"app": 5}, {"app": {"target": "x.app"}},
                         {"App": ["Lumen.app"]}, {"binary": ["$APPDIR/Lumen.app/lumen"]}])",
            std::nullopt, {}},
        {"artifacts null", R"("artifacts": null)", std::nullopt, {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const HomebrewItem lumen = onlyItemOf(caskDocument(row.keys));
        EXPECT_EQ(lumen.installedVersion, row.installedVersion);
        EXPECT_EQ(lumen.isInstalled, row.installedVersion.has_value());
        EXPECT_EQ(lumen.latestVersion, u"2.0"_s);
        EXPECT_EQ(lumen.appArtifacts, row.apps);
    }
}

TEST(HomebrewStateTest, ACasksFullNameIsItsFirstDisplayName)
{
    struct Case {
        QByteArray keys;
        QString fullName;
    };
    const Case cases[] = {
        {R"("name": ["Lumen Studio", "Lumen"])", u"Lumen Studio"_s},
        // An empty first name is still the name given.
        {R"("name": ["", "Lumen"])", QString()},
        {R"("name": [])", u"lumen"_s},
        {R"("name": null)", u"lumen"_s},
        {{}, u"lumen"_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.keys.toStdString());
        EXPECT_EQ(onlyItemOf(caskDocument(row.keys)).fullName, row.fullName);
    }
}

TEST(HomebrewStateTest, ACaskWithoutVersionsHasAnEmptyLatestVersion)
{
    const HomebrewItem bare = onlyItemOf(R"({"casks": [{"token": "lumen", "installed": null, "version": null}]})");
    EXPECT_EQ(bare, HomebrewItemBuilder(u"lumen"_s).cask().installed(false).build());
    // Without a version of its own, the installed one is the latest known.
    EXPECT_EQ(onlyItemOf(R"({"casks": [{"token": "lumen", "installed": "1.2"}]})").latestVersion, u"1.2"_s);
}

TEST(HomebrewStateTest, EmptyListsAndMissingListsReadAsNoPackages)
{
    for (const QByteArray& document : {QByteArray("{}"), QByteArray(R"({"formulae": null, "casks": []})"),
             QByteArray(R"({"formulae": [], "casks": null, "unknown": 1})")}) {
        SCOPED_TRACE(document.toStdString());
        const auto installed = HomebrewService::parseInstalledInfoJSON(document);
        ASSERT_TRUE(installed);
        EXPECT_EQ(*installed, HomebrewInstalledSnapshot{});
        const auto outdated = HomebrewService::parseOutdatedJSON(document);
        ASSERT_TRUE(outdated);
        EXPECT_EQ(*outdated, HomebrewOutdatedSnapshot{});
    }
}

TEST(HomebrewStateTest, OneMalformedPackageFailsTheWholeInfoDocument)
{
    struct Case {
        QByteArray document;
        QString keyPath; // where the error points
    };
    // Each document holds a valid formula first: no partial list comes back.
    const auto withGoodFormula = [](const QByteArray& formulaeTail, const QByteArray& casks = "[]") {
        return R"({"formulae": [{"name": "wget", "installed": [{"version": "1.0"}]})" + formulaeTail + R"(], "casks": )"
            + casks + "}";
    };
    const Case cases[] = {
        {"", {}},
        {"not json", {}},
        {R"([{"name": "wget"}])", {}},
        {R"({"formulae": [{"name": "wget"}])", {}},
        {R"({"formulae": {}})", u"formulae"_s},
        {R"({"casks": "none"})", u"casks"_s},
        {withGoodFormula(R"(, {"full_name": "nameless"})"), u"formulae[1].name"_s},
        {withGoodFormula(R"(, {"name": null})"), u"formulae[1].name"_s},
        {withGoodFormula(R"(, {"name": 7})"), u"formulae[1].name"_s},
        {withGoodFormula(R"(, {"name": "x", "desc": 5})"), u"formulae[1].desc"_s},
        {withGoodFormula(R"(, {"name": "x", "outdated": "yes"})"), u"formulae[1].outdated"_s},
        {withGoodFormula(R"(, {"name": "x", "versions": {"stable": 3}})"), u"formulae[1].versions.stable"_s},
        {withGoodFormula(R"(, {"name": "x", "versions": "1.0"})"), u"formulae[1].versions"_s},
        {withGoodFormula(R"(, {"name": "x", "installed": [{"version": 1}]})"), u"formulae[1].installed[0].version"_s},
        {withGoodFormula(R"(, {"name": "x", "installed": [{"time": 1}]})"), u"formulae[1].installed[0].version"_s},
        {withGoodFormula(R"(, {"name": "x", "installed": [{"version": "1", "installed_on_request": "true"}]})"),
            u"formulae[1].installed[0].installed_on_request"_s},
        {withGoodFormula(R"(, {"name": "x", "installed": "1.0"})"), u"formulae[1].installed"_s},
        {withGoodFormula({}, R"([{"name": ["Lumen"]}])"), u"casks[0].token"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "version": 2.0}])"), u"casks[0].version"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "name": "Lumen"}])"), u"casks[0].name"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "name": ["Lumen", 1]}])"), u"casks[0].name[1]"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "homepage": false}])"), u"casks[0].homepage"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "artifacts": {"app": ["Lumen.app"]}}])"), u"casks[0].artifacts"_s},
        {withGoodFormula({}, R"([{"token": "lumen", "outdated": 1}])"), u"casks[0].outdated"_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.document.toStdString());
        const auto snapshot = HomebrewService::parseInstalledInfoJSON(row.document);
        ASSERT_FALSE(snapshot);
        EXPECT_EQ(snapshot.error().keyPath, row.keyPath);
    }
}

TEST(HomebrewStateTest, OutdatedEntriesAreStrictButForTheirInstalledVersions)
{
    struct Case {
        QByteArray installedVersions;
        QStringList values;
    };
    const Case cases[] = {
        {R"("1.0")", {u"1.0"_s}},
        {R"(["1.0", "1.1"])", {u"1.0"_s, u"1.1"_s}},
        {"null", {}},
        {"5", {}},
        {R"({"1.0": true})", {}},
        {R"(["1.0", null])", {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.installedVersions.toStdString());
        const auto snapshot = HomebrewService::parseOutdatedJSON(
            R"({"casks": [{"name": "lumen", "installed_versions": )" + row.installedVersions + "}]}");
        ASSERT_TRUE(snapshot);
        EXPECT_EQ(snapshot->casks, std::vector{entry(u"lumen"_s, true, row.values, QString())});
    }

    for (const QByteArray& document : {
             QByteArray(R"({"formulae": [{"installed_versions": ["1.0"]}]})"),
             QByteArray(R"({"formulae": [{"name": "wget", "current_version": 1.25}]})"),
             QByteArray(R"({"formulae": [{"name": "wget", "pinned": "no"}]})"),
             // Casks are never pinned, but the key is still read.
             QByteArray(R"({"casks": [{"name": "lumen", "pinned": "no"}]})"),
             QByteArray(R"({"formulae": "wget"})"),
             QByteArray(""),
         }) {
        SCOPED_TRACE(document.toStdString());
        EXPECT_FALSE(HomebrewService::parseOutdatedJSON(document));
    }
}

TEST(HomebrewStateTest, APinnedKeyOnACaskEntryMeansNothing)
{
    const auto snapshot = HomebrewService::parseOutdatedJSON(
        R"({"formulae": [{"name": "node@20", "pinned": true}], "casks": [{"name": "lumen", "pinned": true}]})");
    ASSERT_TRUE(snapshot);
    EXPECT_TRUE(snapshot->formulae.front().isPinned);
    EXPECT_FALSE(snapshot->casks.front().isPinned);
}

TEST(HomebrewMergeTest, OutdatedEntriesUpdateTheItemsOfTheirOwnKind)
{
    struct Case {
        const char* label;
        HomebrewItem installed;
        std::vector<HomebrewOutdatedEntry> entries;
        bool trust;
        std::optional<QString> installedVersion;
        QString latestVersion;
        bool isOutdated;
    };
    const HomebrewItem wget = HomebrewItemBuilder(u"Wget"_s).installedVersion(u"1.0"_s).latestVersion(u"1.1"_s).build();
    const HomebrewItem flaggedWget
        = HomebrewItemBuilder(u"wget"_s).outdated().installedVersion(u"1.0"_s).latestVersion(u"1.1"_s).build();
    const HomebrewItem lumen = HomebrewItemBuilder(u"lumen"_s).cask().latestVersion(u"2.0"_s).build();
    const Case cases[] = {
        {"names match ignoring case", wget, {entry(u"wget"_s, false, {u"1.0"_s}, u"1.2"_s)}, true, u"1.0"_s, u"1.2"_s,
            true},
        {"an empty current version keeps brew info's", wget, {entry(u"WGET"_s, false, {}, QString())}, true, u"1.0"_s,
            u"1.1"_s, true},
        {"a pinned formula is not outdated", flaggedWget, {entry(u"wget"_s, false, {u"1.0"_s}, u"1.2"_s, true)}, true,
            u"1.0"_s, u"1.1"_s, false},
        {"a cask entry does not touch a formula", flaggedWget, {entry(u"wget"_s, true, {u"1.0"_s}, u"1.2"_s)}, true,
            u"1.0"_s, u"1.1"_s, false},
        {"unlisted, trusted: current", flaggedWget, {}, true, u"1.0"_s, u"1.1"_s, false},
        {"unlisted, untrusted: brew info's flag stands", flaggedWget, {}, false, u"1.0"_s, u"1.1"_s, true},
        {"listed while untrusted still counts", wget, {entry(u"wget"_s, false, {}, u"1.3"_s)}, false, u"1.0"_s,
            u"1.3"_s, true},
        {"an item without an installed version takes the entry's last", lumen,
            {entry(u"lumen"_s, true, {u"1.8"_s, u"1.9"_s}, u"2.1"_s)}, true, u"1.9"_s, u"2.1"_s, true},
        {"an entry without installed versions leaves it absent", lumen, {entry(u"Lumen"_s, true, {}, u"2.1"_s)}, true,
            std::nullopt, u"2.1"_s, true},
        {"an installed version is kept", wget, {entry(u"wget"_s, false, {u"0.9"_s}, u"1.2"_s)}, true, u"1.0"_s,
            u"1.2"_s, true},
        {"a name listed twice: the first entry counts", wget,
            {entry(u"WGet"_s, false, {}, u"1.2"_s), entry(u"wget"_s, false, {}, u"1.3"_s, true)}, true, u"1.0"_s,
            u"1.2"_s, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        HomebrewInstalledSnapshot installed;
        HomebrewOutdatedSnapshot outdated;
        (row.installed.isCask ? installed.casks : installed.formulae).push_back(row.installed);
        for (const HomebrewOutdatedEntry& outdatedEntry : row.entries)
            (outdatedEntry.isCask ? outdated.casks : outdated.formulae).push_back(outdatedEntry);

        const std::vector<HomebrewItem> merged = HomebrewService::merge(installed, outdated, row.trust, english);
        ASSERT_EQ(merged.size(), 1u);
        HomebrewItem expected = row.installed;
        expected.installedVersion = row.installedVersion;
        expected.latestVersion = row.latestVersion;
        expected.isOutdated = row.isOutdated;
        EXPECT_EQ(merged.front(), expected);
    }
}

TEST(HomebrewMergeTest, NeverAddsPackagesThatAreNotInstalled)
{
    const HomebrewInstalledSnapshot installed{.formulae = {HomebrewItemBuilder(u"wget"_s).build()}, .casks = {}};
    const HomebrewOutdatedSnapshot outdated{
        .formulae = {entry(u"node"_s, false, {u"21"_s}, u"22"_s)}, .casks = {entry(u"wget"_s, true, {u"1"_s}, u"2"_s)}};
    EXPECT_EQ(idsOf(HomebrewService::merge(installed, outdated, true, english)), QStringList{u"formula::wget"_s});
    EXPECT_TRUE(HomebrewService::merge({}, outdated, true, english).empty());
}

TEST(HomebrewMergeTest, SortsOutdatedFirstThenByNameKeepingTiesInOrder)
{
    struct Case {
        const char* label;
        std::vector<HomebrewItem> formulae;
        std::vector<HomebrewItem> casks;
        QLocale locale;
        QStringList ids;
    };
    const std::vector<HomebrewItem> accentedNames{HomebrewItemBuilder(u"zlib"_s).build(),
        HomebrewItemBuilder(u"\u00e4pple"_s).build(), HomebrewItemBuilder(u"apple"_s).build()};
    const Case cases[] = {
        {"outdated first, names ignoring case",
            {HomebrewItemBuilder(u"zsh"_s).outdated().build(), HomebrewItemBuilder(u"abc"_s).build()},
            {HomebrewItemBuilder(u"Apple"_s).cask().outdated().build()}, english,
            {u"cask::Apple"_s, u"formula::zsh"_s, u"formula::abc"_s}},
        {"a formula stays before a cask of the same name", {HomebrewItemBuilder(u"lumen"_s).build()},
            {HomebrewItemBuilder(u"Lumen"_s).cask().build(), HomebrewItemBuilder(u"ant"_s).cask().build()}, english,
            {u"cask::ant"_s, u"formula::lumen"_s, u"cask::Lumen"_s}},
        {"the locale orders the names", accentedNames, {}, QLocale(QLocale::Swedish, QLocale::Sweden),
            {u"formula::apple"_s, u"formula::zlib"_s, u"formula::\u00e4pple"_s}},
        {"accents count under English rules", accentedNames, {}, english,
            {u"formula::apple"_s, u"formula::\u00e4pple"_s, u"formula::zlib"_s}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const HomebrewInstalledSnapshot installed{.formulae = row.formulae, .casks = row.casks};
        EXPECT_EQ(idsOf(HomebrewService::merge(installed, {}, false, row.locale)), row.ids);
    }
}

class HomebrewFetchTest : public ::testing::Test {
protected:
    HomebrewFetchTest()
    {
        qunsetenv("HOMEBREW_NO_ENV_HINTS");
        qunsetenv("HOMEBREW_NO_AUTO_UPDATE");
        fake.respond(infoArguments, {.stdoutPieces = {fixture("info-installed.json")}});
        fake.respond(outdatedArguments, {.stdoutPieces = {fixture("outdated.json")}});
    }

    const QStringList infoArguments{u"info"_s, u"--json=v2"_s, u"--installed"_s};
    const QStringList outdatedArguments{u"outdated"_s, u"--json=v2"_s};
    InstalledFakeBrew brew;
    FakeBrew& fake = brew.fake;
};

TEST_F(HomebrewFetchTest, RunsInfoThenOutdatedWithoutHintsOrIndexUpdates)
{
    const auto items = HomebrewService::fetchInstalledAndOutdated();
    ASSERT_TRUE(items) << items.error().description().toStdString();

    const auto installed = HomebrewService::parseInstalledInfoJSON(fixture("info-installed.json"));
    const auto outdated = HomebrewService::parseOutdatedJSON(fixture("outdated.json"));
    EXPECT_EQ(*items, HomebrewService::merge(*installed, *outdated, true));

    const std::vector<FakeBrew::Run> runs = fake.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].arguments, infoArguments);
    EXPECT_EQ(runs[1].arguments, outdatedArguments);
    for (const FakeBrew::Run& run : runs) {
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_AUTO_UPDATE"_s), u"1"_s);
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_ENV_HINTS"_s), u"1"_s);
    }
}

TEST_F(HomebrewFetchTest, AnUnusableOutdatedListLeavesBrewInfosFlags)
{
    const auto installed = HomebrewService::parseInstalledInfoJSON(fixture("info-installed.json"));
    const std::vector<HomebrewItem> infoAlone = HomebrewService::merge(*installed, {}, false);

    struct Case {
        const char* label;
        FakeBrew::Response outdated;
    };
    const Case cases[] = {
        {"exit status 1 with a document", {.stdoutPieces = {fixture("outdated.json")}, .exitCode = 1}},
        {"no output", {}},
        {"not JSON", {.stdoutPieces = {"Error: some taps are broken\n"}}},
        {"a malformed entry", {.stdoutPieces = {R"({"formulae": [{"name": 1}]})"}}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        fake.respond(outdatedArguments, row.outdated);
        const auto items = HomebrewService::fetchInstalledAndOutdated();
        ASSERT_TRUE(items);
        EXPECT_EQ(*items, infoAlone);
    }
}

TEST_F(HomebrewFetchTest, AFailedOrUnreadableInfoFailsTheFetch)
{
    fake.respond(infoArguments, {.stderr = "Error: Permission denied @ rb_sysopen\n", .exitCode = 1});
    const auto failed = HomebrewService::fetchInstalledAndOutdated();
    ASSERT_FALSE(failed);
    ASSERT_TRUE(failed.error().serviceError());
    EXPECT_EQ(*failed.error().serviceError(),
        HomebrewServiceError::commandFailed(1, u"Error: Permission denied @ rb_sysopen\n"_s));

    for (const QByteArray& output : {QByteArray(), QByteArray("==> Formulae\nwget\n"),
             QByteArray(R"({"casks": [{"token": "lumen", "version": 2}]})")}) {
        SCOPED_TRACE(output.toStdString());
        fake.respond(infoArguments, {.stdoutPieces = {output}});
        const auto unreadable = HomebrewService::fetchInstalledAndOutdated();
        ASSERT_FALSE(unreadable);
        EXPECT_TRUE(std::holds_alternative<TruneJsonError>(unreadable.error().reason));
    }
    // The outdated list is not asked for once the installed one has failed.
    for (const FakeBrew::Run& run : fake.runs())
        EXPECT_EQ(run.arguments, infoArguments);
}

TEST_F(HomebrewFetchTest, CancellingDuringTheOutdatedListFailsTheFetch)
{
    fake.respond(outdatedArguments, {.stdoutPieces = {fixture("outdated.json")}, .sleepBeforeExit = 60});
    const auto token = std::make_shared<TruneProcessCancellation>();
    auto fetching = std::async(std::launch::async, [&] { return HomebrewService::fetchInstalledAndOutdated(token); });

    ASSERT_TRUE(fake.waitForRuns(2));
    token->cancel();
    const auto result = fetching.get();
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().isCancelled());
}

TEST(HomebrewFetchWithoutBrewTest, FailsWhenBrewIsMissing)
{
    const NoBrewAnywhere noBrew;
    const auto result = HomebrewService::fetchInstalledAndOutdated();
    ASSERT_FALSE(result);
    ASSERT_TRUE(result.error().serviceError());
    EXPECT_EQ(*result.error().serviceError(), HomebrewServiceError::brewNotInstalled());
}

} // namespace
