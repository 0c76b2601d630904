#include "kit/suite/TruneSuiteApp.h"
#include "kit/platform/TruneJson.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <set>

using namespace Qt::StringLiterals;

TEST(TruneSuiteAppTest, TheSevenNamedAppsSitAtTheirFixedPositions)
{
    struct Row {
        int index;
        TruneSuiteApp app;
        const char* raw;
        const char* symbol;
    };
    const Row rows[] = {
        {0, TruneSuiteApp::haltrix, "Haltrix", "xmark.octagon.fill"},
        {1, TruneSuiteApp::lumbra, "Lumbra", "memorychip.fill"},
        {2, TruneSuiteApp::vantor, "Vantor", "waveform.path.ecg"},
        {6, TruneSuiteApp::stillo, "Stillo", "timer"},
        {7, TruneSuiteApp::dovel, "Dovel", "checklist.checked"},
        {28, TruneSuiteApp::tunelo, "Tunelo", "music.note.list"},
        {30, TruneSuiteApp::audrel, "Audrel", "slider.horizontal.3"},
    };
    const auto apps = allCases<TruneSuiteApp>();
    ASSERT_EQ(apps.size(), 49u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(apps.at(static_cast<size_t>(row.index)), row.app);
        EXPECT_EQ(rawValue(row.app), QLatin1String(row.raw));
        EXPECT_EQ(TruneSuiteCatalog::symbolName(row.app), QLatin1String(row.symbol));
        EXPECT_EQ(TruneSuiteCatalog::bundleIdentifier(row.app),
            u"com.quorvane."_s + QLatin1String(row.raw).toString().toLower());
    }
}

TEST(TruneSuiteAppTest, EveryAppHasADistinctOneWordNameAndSymbol)
{
    static const QRegularExpression oneWord(u"^[A-Z][A-Za-z]{5,13}$"_s);
    const std::set<TruneSuiteApp> named{TruneSuiteApp::haltrix, TruneSuiteApp::lumbra, TruneSuiteApp::vantor,
        TruneSuiteApp::stillo, TruneSuiteApp::dovel, TruneSuiteApp::tunelo, TruneSuiteApp::audrel};
    std::set<QString> names;
    std::set<QString> symbols;
    for (TruneSuiteApp app : allCases<TruneSuiteApp>()) {
        const QString name = rawValue(app);
        if (!named.contains(app)) {
            EXPECT_TRUE(oneWord.match(name).hasMatch()) << name.toStdString();
        }
        names.insert(name);
        symbols.insert(TruneSuiteCatalog::symbolName(app));
    }
    EXPECT_EQ(names.size(), 49u);
    EXPECT_EQ(symbols.size(), 49u);
}

TEST(TruneSuiteAppTest, RawValuesMatchExactlyInTextAndJson)
{
    EXPECT_EQ(fromRawValue<TruneSuiteApp>(u"Lumbra"), TruneSuiteApp::lumbra);
    EXPECT_EQ(fromRawValue<TruneSuiteApp>(u"lumbra"), std::nullopt);
    EXPECT_EQ(TruneSuiteCatalog::bundleIdentifier(TruneSuiteApp::audrel), u"com.quorvane.audrel"_s);
    EXPECT_EQ(truneJsonSerialize(TruneSuiteApp::dovel), QByteArray(R"("Dovel")"));
    EXPECT_FALSE(truneJsonDecode<TruneSuiteApp>(QByteArray(R"("Quorvane")")));
    EXPECT_FALSE(truneJsonDecode<TruneSuiteApp>(QByteArray(R"("DOVEL")")));
}

TEST(TruneSuiteAppTest, ARunningAppIsFoundByIdentifierOrNameInAnyCase)
{
    using Running = std::vector<TruneRunningApplication>;
    const TruneRunningApplication byCapitals{u"COM.QUORVANE.LUMBRA"_s, std::nullopt, 10};
    const TruneRunningApplication byName{u"org.example.other"_s, u"lumbra"_s, 11};
    const TruneRunningApplication nameless{std::nullopt, std::nullopt, 12};
    const TruneRunningApplication unrelated{u"com.quorvane.vantor"_s, u"Vantor"_s, 13};

    EXPECT_EQ(TruneSuiteCatalog::firstMatch(TruneSuiteApp::lumbra, Running{unrelated, byCapitals}), byCapitals);
    EXPECT_EQ(TruneSuiteCatalog::firstMatch(TruneSuiteApp::lumbra, Running{nameless, byName}), byName);
    EXPECT_EQ(TruneSuiteCatalog::firstMatch(TruneSuiteApp::lumbra, Running{byName, byCapitals}), byName);
    EXPECT_EQ(TruneSuiteCatalog::firstMatch(TruneSuiteApp::lumbra, Running{nameless, unrelated}), std::nullopt);
}

TEST(TruneSuiteAppTest, TheBundleInTheUsersApplicationsFolderWins)
{
    TempHome home;
    EXPECT_EQ(TruneSuiteCatalog::installedURL(TruneSuiteApp::lumbra), std::nullopt);
    EXPECT_FALSE(TruneSuiteCatalog::isInstalled(TruneSuiteApp::lumbra));
    EXPECT_FALSE(TruneSuiteCatalog::launch(TruneSuiteApp::lumbra));

    const QString bundle = BundleMaker::makeAppBundle(home.filePath(u"Applications/Lumbra.app"_s));
    EXPECT_EQ(TruneSuiteCatalog::installedURL(TruneSuiteApp::lumbra), bundle);
    EXPECT_TRUE(TruneSuiteCatalog::isInstalled(TruneSuiteApp::lumbra));
    // A bundle whose executable cannot be started is not reported as launched.
    EXPECT_FALSE(TruneSuiteCatalog::launch(TruneSuiteApp::lumbra));
}
