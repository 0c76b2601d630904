#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TruneUserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A fresh user-defaults store and a fixed list of system languages for each test.
class LanguageChoiceTest : public ::testing::Test {
protected:
    LanguageChoiceTest() { setSystemLanguages({QStringLiteral("fr-CA"), QStringLiteral("en-US")}); }
    ~LanguageChoiceTest() override { TruneSystemLanguages::resetProvider(); }

    static void setSystemLanguages(const QStringList& tags)
    {
        TruneSystemLanguages::setProvider([tags] { return tags; });
    }

    static void storeRaw(const QVariant& value)
    {
        TruneUserDefaults::standard().setValue(TruneLanguage::defaultsKey, value);
    }
    static QVariant stored() { return TruneUserDefaults::standard().value(TruneLanguage::defaultsKey); }

    TempHome m_home;
};

// The languages announced by TruneNotifier while it lives, with the stored choice each one saw.
class LanguageChangeRecorder final {
public:
    LanguageChangeRecorder()
    {
        m_connection = QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted,
            [this](const QString& name, const QVariantMap& userInfo) {
                if (name != TruneNotificationName::languageDidChange)
                    return;
                announced.append(userInfo.value(TruneLanguage::languageDidChangeKey).toString());
                storedWhenAnnounced.append(stored());
            });
    }
    ~LanguageChangeRecorder() { QObject::disconnect(m_connection); }

    static QString stored() { return TruneUserDefaults::standard().value(TruneLanguage::defaultsKey).toString(); }

    QStringList announced;
    QStringList storedWhenAnnounced;

private:
    QMetaObject::Connection m_connection;
};

} // namespace

TEST(TruneLanguageTest, EveryCaseRoundTripsItsRawValueInDeclarationOrder)
{
    const std::vector<TruneLanguage> cases = TruneLanguage::allCases();
    ASSERT_EQ(cases.size(), 37u);
    EXPECT_EQ(cases.front(), TruneLanguage::ar);
    EXPECT_EQ(cases.back(), TruneLanguage::zhHant);
    std::set<QString> rawValues;
    for (const TruneLanguage language : cases) {
        SCOPED_TRACE(language.rawValue().toStdString());
        EXPECT_EQ(TruneLanguage::fromRawValue(language.rawValue()), language);
        EXPECT_EQ(TruneLanguage::match(language.rawValue()), language);
        rawValues.insert(language.rawValue());
    }
    EXPECT_EQ(rawValues.size(), cases.size());
    // Raw values match exactly; any other spelling is only a tag to match().
    EXPECT_EQ(TruneLanguage::fromRawValue(u"pt-br"), std::nullopt);
    EXPECT_EQ(TruneLanguage::fromRawValue(u"zh_Hans"), std::nullopt);
    EXPECT_EQ(TruneLanguage::fromRawValue(u"system"), std::nullopt);
}

TEST(TruneLanguageTest, DerivedNamesCodesAndDirection)
{
    struct Row {
        TruneLanguage language;
        const char* displayName;
        const char* shortCode;
    };
    const Row rows[] = {
        {TruneLanguage::en, "English", "EN"},
        {TruneLanguage::de, "Deutsch (German)", "DE"},
        {TruneLanguage::ptBR, "Português (Brasil) (Portuguese (Brazil))", "PT"},
        {TruneLanguage::ptPT, "Português (Portugal) (Portuguese (Portugal))", "PT-PT"},
        {TruneLanguage::zhHans, "简体中文 (Chinese (Simplified))", "ZH"},
        {TruneLanguage::zhHant, "繁體中文 (Chinese (Traditional))", "ZH-TW"},
        {TruneLanguage::nb, "Norsk Bokmål (Norwegian Bokmål)", "NB"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shortCode);
        EXPECT_EQ(row.language.displayName(), QString::fromUtf8(row.displayName));
        EXPECT_EQ(row.language.shortCode(), QString::fromUtf8(row.shortCode));
    }

    std::vector<TruneLanguage> rightToLeft;
    std::vector<std::pair<TruneLanguage, TruneLanguage>> parents;
    for (const TruneLanguage language : TruneLanguage::allCases()) {
        if (language.isRTL())
            rightToLeft.push_back(language);
        if (const auto parent = language.fallbackParent())
            parents.emplace_back(language, *parent);
    }
    EXPECT_EQ(rightToLeft, (std::vector<TruneLanguage>{TruneLanguage::ar, TruneLanguage::fa, TruneLanguage::he}));
    EXPECT_EQ(parents,
        (std::vector<std::pair<TruneLanguage, TruneLanguage>>{
            {TruneLanguage::ptPT, TruneLanguage::ptBR}, {TruneLanguage::zhHant, TruneLanguage::zhHans}}));
    EXPECT_EQ(TruneLanguage(TruneLanguage::ptBR).locale().language(), QLocale::Portuguese);
    EXPECT_EQ(TruneLanguage(TruneLanguage::ptBR).locale().territory(), QLocale::Brazil);
}

TEST(TruneLanguageTest, MenusListLanguagesByEnglishName)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QStringList names;
    for (const TruneLanguage language : TruneLanguage::sortedCases())
        names.append(language.englishName());
    QLocale::setDefault(previous);

    ASSERT_EQ(names.size(), 37);
    EXPECT_EQ(names.mid(0, 8),
        (QStringList{"Arabic", "Azerbaijani", "Bulgarian", "Catalan", "Chinese (Simplified)", "Chinese (Traditional)",
            "Croatian", "Czech"}));
    EXPECT_EQ(names.mid(33), (QStringList{"Thai", "Turkish", "Ukrainian", "Vietnamese"}));
    EXPECT_LT(names.indexOf(QStringLiteral("Norwegian Bokmål")), names.indexOf(QStringLiteral("Persian")));
}

TEST(TruneLanguageTest, MatchesSystemLanguageTags)
{
    struct Row {
        const char* tag;
        std::optional<TruneLanguage> expected;
    };
    const Row rows[] = {
        {"en-GB", TruneLanguage::en},
        {"  de\n", TruneLanguage::de},
        {"pt_PT", TruneLanguage::ptPT},
        {"PT-pt", TruneLanguage::ptPT},
        {"pt", TruneLanguage::ptBR},
        {"pt-AO", TruneLanguage::ptBR},
        {"zh", TruneLanguage::zhHans},
        {"zh-CN", TruneLanguage::zhHans},
        {"zh-Hans", TruneLanguage::zhHans},
        {"ZH-HANS", TruneLanguage::zhHans},
        {"zh-TW", TruneLanguage::zhHant},
        {"zh-Hant-CN", TruneLanguage::zhHant},
        {"zh-Hans-HK", TruneLanguage::zhHant},
        {"zh_MO", TruneLanguage::zhHant},
        {"nn-NO", TruneLanguage::nb},
        {"no", TruneLanguage::nb},
        {"nb_NO", TruneLanguage::nb},
        {"iw-IL", TruneLanguage::he},
        {"in", TruneLanguage::id},
        {"-fr-CA", TruneLanguage::fr}, // the first non-empty piece counts
        {"tr-TR", TruneLanguage::tr},
        {"sr-Latn", std::nullopt},
        {"zhx", std::nullopt},
        {"C", std::nullopt},
        {"", std::nullopt},
        {" \t\n", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tag);
        EXPECT_EQ(TruneLanguage::match(QString::fromUtf8(row.tag)), row.expected);
    }
}

TEST(TruneLanguageTest, ResolvesTheFirstMatchingTagElseEnglish)
{
    struct Row {
        QStringList tags;
        TruneLanguage expected;
    };
    const Row rows[] = {
        {{"sr", "en-US"}, TruneLanguage::en},
        {{"sr", "ja-JP", "de"}, TruneLanguage::ja},
        {{"xx", "yy"}, TruneLanguage::en},
        {{}, TruneLanguage::en},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.tags.join(u',').toStdString());
        EXPECT_EQ(TruneLanguage::resolve(row.tags), row.expected);
    }
}

TEST_F(LanguageChoiceTest, StoredChoiceDecidesTheCurrentLanguage)
{
    struct Row {
        std::optional<QVariant> stored; // none: no value
        TruneLanguage current;
        bool followingSystem;
        std::optional<TruneLanguage> selected; // none: the system selection
    };
    const Row rows[] = {
        {std::nullopt, TruneLanguage::fr, true, std::nullopt},
        {QVariant(QStringLiteral(" de \n")), TruneLanguage::de, false, TruneLanguage::de},
        {QVariant(QStringLiteral("System")), TruneLanguage::fr, true, std::nullopt},
        {QVariant(QStringLiteral("   ")), TruneLanguage::fr, true, std::nullopt},
        {QVariant(QStringLiteral("pt_pt")), TruneLanguage::ptPT, false, TruneLanguage::ptPT},
        // An unknown code falls back to the system language, but is an explicit choice.
        {QVariant(QStringLiteral("xx")), TruneLanguage::fr, false, TruneLanguage::fr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored ? row.stored->toString().toStdString() : "missing");
        if (row.stored)
            storeRaw(*row.stored);
        else
            TruneUserDefaults::standard().remove(TruneLanguage::defaultsKey);
        EXPECT_EQ(TruneLanguage::current(), row.current);
        EXPECT_EQ(TruneLanguage::isFollowingSystem(), row.followingSystem);
        const TruneLanguageSelection selection = TruneLanguageSelection::current();
        EXPECT_EQ(selection.language(), row.selected);
        EXPECT_EQ(selection.resolvedLanguage(), row.current);
    }
    // Reading never rewrites an unknown stored code.
    EXPECT_EQ(stored(), QVariant(QStringLiteral("xx")));
}

TEST_F(LanguageChoiceTest, SystemLanguageIsReadAfreshOnEveryCall)
{
    EXPECT_EQ(TruneLanguage::systemResolved(), TruneLanguage::fr);
    setSystemLanguages({QStringLiteral("sr"), QStringLiteral("ko-KR")});
    EXPECT_EQ(TruneLanguage::systemResolved(), TruneLanguage::ko);
    EXPECT_EQ(TruneLanguage::current(), TruneLanguage::ko);
    EXPECT_EQ(TruneLanguageSelection::system().resolvedLanguage(), TruneLanguage::ko);
}

TEST(TruneLanguageSelectionTest, EqualityAndHashFollowTheChosenLanguage)
{
    const auto system = TruneLanguageSelection::system();
    const auto german = TruneLanguageSelection::explicitLanguage(TruneLanguage::de);
    EXPECT_EQ(system, TruneLanguageSelection::system());
    EXPECT_EQ(german, TruneLanguageSelection::explicitLanguage(TruneLanguage::de));
    EXPECT_NE(german, TruneLanguageSelection::explicitLanguage(TruneLanguage::en));
    EXPECT_NE(system, TruneLanguageSelection::explicitLanguage(TruneLanguage::en));
    EXPECT_TRUE(system.isSystem());
    EXPECT_EQ(german.resolvedLanguage(), TruneLanguage::de);
    EXPECT_EQ(qHash(german), qHash(TruneLanguageSelection::explicitLanguage(TruneLanguage::de)));
}

TEST_F(LanguageChoiceTest, JsonReadsRawValuesTagsAndFallsBackToTheSystem)
{
    EXPECT_EQ(truneJsonEncode(TruneLanguage(TruneLanguage::zhHant)), QJsonValue(QStringLiteral("zh-Hant")));
    struct Row {
        QJsonValue json;
        TruneLanguage expected;
    };
    const Row rows[] = {
        {QStringLiteral("pt-BR"), TruneLanguage::ptBR},
        {QStringLiteral(" pt_pt "), TruneLanguage::ptPT},
        {QStringLiteral("SYSTEM"), TruneLanguage::fr},
        {QStringLiteral(""), TruneLanguage::fr},
        {QStringLiteral("xx"), TruneLanguage::fr},
        {42, TruneLanguage::fr},
        {QJsonValue::Null, TruneLanguage::fr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QJsonDocument(QJsonArray{row.json}).toJson(QJsonDocument::Compact).toStdString());
        EXPECT_EQ(truneJsonDecode<TruneLanguage>(row.json), row.expected);
    }
}

TEST_F(LanguageChoiceTest, ChangingTheChoiceStoresItAndAnnouncesTheLanguage)
{
    LanguageChangeRecorder recorder;
    TruneLanguage::setCurrent(TruneLanguage::ja);
    EXPECT_EQ(LanguageChangeRecorder::stored(), QStringLiteral("ja"));
    EXPECT_EQ(TruneLanguage::current(), TruneLanguage::ja);
    TruneLanguage::setCurrent(TruneLanguage::ja); // announced again, although nothing changed

    TruneLanguage::setFollowSystem();
    EXPECT_EQ(LanguageChangeRecorder::stored(), QStringLiteral("system"));
    EXPECT_TRUE(TruneLanguage::isFollowingSystem());
    EXPECT_EQ(recorder.announced, (QStringList{"ja", "ja", "fr"}));
}

TEST_F(LanguageChoiceTest, AdoptingTheSystemLanguageKeepsFollowingTheSystem)
{
    TruneLanguage::setCurrent(TruneLanguage::de);
    LanguageChangeRecorder recorder;
    TruneLanguage::applyFollowSystem([] {
        // What the application's change handler does with the resolved language.
        TruneLanguage::setCurrent(TruneLanguage::systemResolved());
        TruneLanguage::setCurrent(TruneLanguage::it);
    });
    EXPECT_EQ(recorder.announced, (QStringList{"fr", "fr", "it"}));
    EXPECT_EQ(recorder.storedWhenAnnounced, (QStringList{"system", "system", "system"}));
    EXPECT_EQ(TruneLanguageSelection::current(), TruneLanguageSelection::system());

    // Afterwards a choice is stored again, and nesting never leaves storing switched off.
    TruneLanguage::applyFollowSystem([] { TruneLanguage::applyFollowSystem([] {}); });
    TruneLanguage::setCurrent(TruneLanguage::ko);
    EXPECT_EQ(LanguageChangeRecorder::stored(), QStringLiteral("ko"));
    EXPECT_EQ(TruneLanguageSelection::current(), TruneLanguageSelection::explicitLanguage(TruneLanguage::ko));
}
