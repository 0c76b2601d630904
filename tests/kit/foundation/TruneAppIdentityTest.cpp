#include "kit/foundation/TruneAppIdentity.h"

#include "kit/platform/TruneJson.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QRegularExpression>

#include <set>

namespace {

// Restores the process name a test changes.
class ApplicationNameGuard final {
public:
    ApplicationNameGuard()
        : m_saved(QCoreApplication::applicationName())
    {
    }
    ~ApplicationNameGuard() { QCoreApplication::setApplicationName(m_saved); }

private:
    QString m_saved;
};

} // namespace

TEST(TruneAppIdentityTest, CatalogueKeepsItsFixedRows)
{
    struct Row {
        int position;
        TruneAppIdentity identity;
        const char* slug;
    };
    const Row rows[] = {
        {16, TruneAppIdentity::stillo, "stillo"},
        {17, TruneAppIdentity::dovel, "dovel"},
        {21, TruneAppIdentity::truneUpdate, "truneupdate"},
        {36, TruneAppIdentity::audrel, "audrel"},
        {37, TruneAppIdentity::tunelo, "tunelo"},
        {44, TruneAppIdentity::lumbra, "lumbra"},
        {45, TruneAppIdentity::vantor, "vantor"},
        {46, TruneAppIdentity::haltrix, "haltrix"},
    };
    const std::vector<TruneAppIdentity> cases = allCases<TruneAppIdentity>();
    ASSERT_EQ(cases.size(), 75u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slug);
        EXPECT_EQ(cases[size_t(row.position)], row.identity);
        EXPECT_EQ(caseIndex(row.identity), row.position);
        EXPECT_EQ(rawValue(row.identity), QLatin1String(row.slug));
    }
    EXPECT_EQ(caseIndex(TruneAppIdentityCatalog::signalBar), 50);
}

TEST(TruneAppIdentityTest, AliasesNameFourProductsAndNoSlug)
{
    struct Alias {
        const char* slug;
        int position;
    };
    const Alias aliases[]
        = {{"signalbar", 50}, {"tallyracalc", 2}, {"tallyrapro", 2}, {"marrow", 1}, {"glimmetlite", 9}};
    for (const Alias& alias : aliases) {
        SCOPED_TRACE(alias.slug);
        const std::optional<TruneAppIdentity> identity = TruneAppIdentityCatalog::resolve(QLatin1String(alias.slug));
        ASSERT_TRUE(identity);
        EXPECT_EQ(caseIndex(*identity), alias.position);
        EXPECT_EQ(fromRawValue<TruneAppIdentity>(QString::fromLatin1(alias.slug)), std::nullopt);
    }
}

TEST(TruneAppIdentityTest, SlugsAreDistinctLowerCaseLettersThatReadBackExactly)
{
    static const QRegularExpression lowerCaseLetters(QStringLiteral("^[a-z]+$"));
    std::set<QString> slugs;
    for (const TruneAppIdentity identity : allCases<TruneAppIdentity>()) {
        const QString slug = rawValue(identity);
        SCOPED_TRACE(slug.toStdString());
        EXPECT_TRUE(lowerCaseLetters.match(slug).hasMatch());
        EXPECT_TRUE(slugs.insert(slug).second);
        EXPECT_EQ(fromRawValue<TruneAppIdentity>(slug), identity);
        EXPECT_EQ(TruneAppIdentityCatalog::resolve(slug), identity);
        EXPECT_EQ(fromRawValue<TruneAppIdentity>(slug.toUpper()), std::nullopt);
    }
}

TEST(TruneAppIdentityTest, ResolvesBundleIdentifiersNamesAndAliases)
{
    struct Case {
        const char* name;
        std::optional<TruneAppIdentity> expected;
    };
    const Case cases[] = {
        {"com.quorvane.TruneUpdate", TruneAppIdentity::truneUpdate},
        {"Trune Update", TruneAppIdentity::truneUpdate},
        {"truneupdate", TruneAppIdentity::truneUpdate},
        {"com.quorvane.STILLO", TruneAppIdentity::stillo},
        {"com.quorvane.stillo.helper", std::nullopt},
        {"dovel.", TruneAppIdentity::dovel},
        {"..tunelo..", TruneAppIdentity::tunelo},
        {"Tune-lo", TruneAppIdentity::tunelo},
        {"hal_trix!", TruneAppIdentity::haltrix},
        {"Vantor 2", std::nullopt},
        {"Dövel", std::nullopt},
        {"Dove\u0301l", std::nullopt},
        {"", std::nullopt},
        {"...", std::nullopt},
        {"Signal Bar", TruneAppIdentity::signalo},
        {"com.quorvane.signalbar", TruneAppIdentityCatalog::signalBar},
        {"Tallyra Calc", TruneAppIdentity::tallyra},
        {"tallyra-pro", TruneAppIdentity::tallyra},
        {"Marrow", TruneAppIdentity::marrowpad},
        {"Glimmet Lite", TruneAppIdentity::glimmet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TruneAppIdentityCatalog::resolve(QString::fromUtf8(c.name)), c.expected);
    }
}

TEST(TruneAppIdentityTest, CurrentTriesIdentifierNamesThenProcessName)
{
    struct Case {
        const char* name;
        QVariantMap info;
        const char* processName;
        std::optional<TruneAppIdentity> expected;
    };
    const QString id = QStringLiteral("CFBundleIdentifier");
    const QString displayName = QStringLiteral("CFBundleDisplayName");
    const QString bundleName = QStringLiteral("CFBundleName");
    const Case cases[] = {
        {"identifier first", {{id, "com.quorvane.vantor"}, {displayName, "Dovel"}, {bundleName, "Stillo"}}, "lumbra",
            TruneAppIdentity::vantor},
        {"display name", {{id, "com.example.other"}, {displayName, "Dovel"}, {bundleName, "Stillo"}}, "lumbra",
            TruneAppIdentity::dovel},
        {"bundle name", {{displayName, 42}, {bundleName, "Stillo"}}, "lumbra", TruneAppIdentity::stillo},
        {"process name", {{id, 7}, {bundleName, QStringList{"Stillo"}}}, "Lumbra", TruneAppIdentity::lumbra},
        {"nothing resolves", {{displayName, "Other"}}, "test_kit_foundation", std::nullopt},
    };
    const ApplicationNameGuard guard;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QCoreApplication::setApplicationName(QString::fromUtf8(c.processName));
        EXPECT_EQ(TruneAppIdentityCatalog::current(TruneBundle(c.info, QString())), c.expected);
    }
}

TEST(TruneAppIdentityTest, CurrentOfThisProgramIsTruneUpdate)
{
    EXPECT_EQ(TruneAppIdentityCatalog::current(), TruneAppIdentity::truneUpdate);
}

TEST(TruneAppIdentityTest, JsonIsTheExactSlug)
{
    EXPECT_EQ(truneJsonSerialize(std::vector{TruneAppIdentity::truneUpdate}), QByteArray(R"(["truneupdate"])"));
    EXPECT_EQ(
        truneJsonDecode<TruneAppIdentity>(QJsonValue(QStringLiteral("truneupdate"))), TruneAppIdentity::truneUpdate);
    EXPECT_FALSE(truneJsonDecode<TruneAppIdentity>(QJsonValue(QStringLiteral("TruneUpdate"))));
    EXPECT_FALSE(truneJsonDecode<TruneAppIdentity>(QJsonValue(QStringLiteral("signalbar"))));
}
