#include "kit/localization/TruneLocalizationStore.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

const QString kFixtures = QStringLiteral(TRUNE_LZFSE_FIXTURE_DIR);

QByteArray fixture(const QString& name)
{
    QFile file(kFixtures + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A fresh home (so the per-user catalogue folders are empty) and one registered directory.
class CatalogueStoreTest : public ::testing::Test {
protected:
    QString inDirectory(const QString& name) const { return m_directory.filePath(name); }
    QString german(const QString& en) { return m_store.resolve(std::nullopt, en, QString(), TruneLanguage::de); }

    TempHome m_home;
    QTemporaryDir m_directory;
    TruneLocalizationStore m_store{QStringList{m_directory.path()}};
};

} // namespace

TEST_F(CatalogueStoreTest, WithoutCataloguesEveryLanguageButTurkishShowsEnglish)
{
    const QString en = QStringLiteral("Probe text without any translation");
    for (const TruneLanguage language : TruneLanguage::allCases()) {
        SCOPED_TRACE(language.rawValue().toStdString());
        const QString expected = language == TruneLanguage::tr ? QStringLiteral("Çeviri") : en;
        EXPECT_EQ(m_store.resolve(std::nullopt, en, QStringLiteral("Çeviri"), language), expected);
    }
    EXPECT_EQ(m_store.resolve(std::nullopt, en, QString(), TruneLanguage::tr), en);
}

TEST_F(CatalogueStoreTest, CompressedCatalogueIsPreferredAndACorruptOneFallsBackToThePlainFile)
{
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Einstellungen (plain)"})json");
    writeFile(inDirectory(QStringLiteral("de.json.lzfse")), fixture(QStringLiteral("de.json.lzfse")));
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen"));
    EXPECT_EQ(german(QStringLiteral("Updated 12 apps")), QStringLiteral("12 Apps aktualisiert"));
    EXPECT_EQ(german(QStringLiteral("Updated  apps")), QStringLiteral("Updated  apps"));

    QByteArray corrupt = fixture(QStringLiteral("de.json.lzfse"));
    corrupt.chop(12);
    writeFile(inDirectory(QStringLiteral("de.json.lzfse")), corrupt);
    m_store.reloadCatalogs();
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen (plain)"));
    EXPECT_EQ(german(QStringLiteral("Updated 12 apps")), QStringLiteral("Updated 12 apps"));
}

TEST_F(CatalogueStoreTest, CompressedEmptyObjectEndsTheSearchInItsDirectory)
{
    writeFile(inDirectory(QStringLiteral("de.json.lzfse")), fixture(QStringLiteral("empty-object.json.lzfse")));
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Einstellungen"})json");
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Settings"));
}

TEST_F(CatalogueStoreTest, UnusableFilesAreSkippedSilently)
{
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"not JSON", "Einstellungen"},
        {"an array", R"(["Settings", "Einstellungen"])"},
        {"a pack with a wrong type", R"({"strings": {"Settings": 5}})"},
        {"a pack without translations", R"({"code": "de", "isRTL": false})"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(inDirectory(QStringLiteral("de.json")), row.bytes);
        m_store.reloadCatalogs();
        EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Settings"));
    }
}

TEST_F(CatalogueStoreTest, CatalogueNamedPipeIsSkippedWithoutBlocking)
{
    // Opening a pipe for reading would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(QFile::encodeName(inDirectory(QStringLiteral("de.json.lzfse"))).constData(), 0600), 0);
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Einstellungen"})json");
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen"));
    EXPECT_EQ(m_store.loadJSONPack(inDirectory(QStringLiteral("de.json.lzfse"))).error().errorCase,
        TruneLocalizationPackError::Case::readFailed);
}

TEST_F(CatalogueStoreTest, EarlierDirectoriesWinAndEmptyTranslationsHideNothing)
{
    const QString custom = TruneLocalizationStore::customLanguagePacksDirectory();
    const QString shared = TruneLocalizationStore::sharedSuiteLocalizationsDirectory();
    EXPECT_EQ(shared, m_home.dataHome() + QStringLiteral("/Quorvane/Localizations"));
    EXPECT_EQ(custom, shared + QStringLiteral("/Custom"));

    writeFile(shared + QStringLiteral("/de.json"), R"json({"strings": {
        "Settings": "Einstellungen (suite)", "Trash": "Papierkorb (suite)", "History": "Verlauf (suite)",
        "Homebrew": "Homebrew (suite)"}})json");
    writeFile(custom + QStringLiteral("/de.json"),
        R"json({"Settings": "Einstellungen (custom)", "Trash": "", "History": "Verlauf (custom)"})json");
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"History": "Verlauf (registered)"})json");

    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen (custom)"));
    EXPECT_EQ(german(QStringLiteral("Trash")), QStringLiteral("Papierkorb (suite)"));
    EXPECT_EQ(german(QStringLiteral("History")), QStringLiteral("Verlauf (registered)"));
    EXPECT_EQ(german(QStringLiteral("Homebrew")), QStringLiteral("Homebrew (suite)"));

    // A directory registered later is searched first; registering drops the cache.
    QTemporaryDir later;
    writeFile(later.filePath(QStringLiteral("de.json")), R"json({"History": "Verlauf (later)"})json");
    m_store.registerSearchDirectory(later.path());
    EXPECT_EQ(german(QStringLiteral("History")), QStringLiteral("Verlauf (later)"));
}

TEST_F(CatalogueStoreTest, CataloguesAreReadOnceUntilTheCacheIsDropped)
{
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Einstellungen"})json");
    m_store.preloadIfNeeded(TruneLanguage::de);
    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Optionen"})json");
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen"));

    m_store.registerSearchDirectory(m_directory.path()); // already known: only drops the cache
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Optionen"));

    writeFile(inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Konfiguration"})json");
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Optionen"));
    m_store.reloadCatalogs();
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Konfiguration"));
}

TEST_F(CatalogueStoreTest, RegionalVariantsBorrowFromTheirParentOnly)
{
    writeFile(
        inDirectory(QStringLiteral("pt-BR.json")), R"json({"Settings": "Configurações", "Trash": "Lixeira"})json");
    writeFile(inDirectory(QStringLiteral("pt-PT.json")), R"json({"Trash": "Reciclagem", "History": "Histórico"})json");
    const auto text = [this](const char* en, TruneLanguage language) {
        return m_store.resolve(std::nullopt, QString::fromUtf8(en), QString(), language);
    };
    EXPECT_EQ(text("Settings", TruneLanguage::ptPT), QStringLiteral("Configurações"));
    EXPECT_EQ(text("Trash", TruneLanguage::ptPT), QStringLiteral("Reciclagem"));
    EXPECT_EQ(text("History", TruneLanguage::ptBR), QStringLiteral("History"));
}

TEST_F(CatalogueStoreTest, EnglishAndTurkishCataloguesAreNeverRead)
{
    writeFile(inDirectory(QStringLiteral("en.json")), R"json({"Settings": "Preferences"})json");
    writeFile(inDirectory(QStringLiteral("tr.json")), R"json({"Settings": "Tercihler"})json");
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Settings"), QStringLiteral("Ayarlar"), TruneLanguage::en),
        QStringLiteral("Settings"));
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Settings"), QStringLiteral("Ayarlar"), TruneLanguage::tr),
        QStringLiteral("Ayarlar"));
}

TEST_F(CatalogueStoreTest, CatalogueKeysAreLookedUpBeforeTheEnglishText)
{
    writeFile(
        inDirectory(QStringLiteral("fr.json")), R"json({"menu.settings": "Réglages…", "Settings": "Réglages"})json");
    EXPECT_EQ(m_store.string(QStringLiteral("menu.settings"), QStringLiteral("Settings"), QString(), TruneLanguage::fr),
        QStringLiteral("Réglages…"));
    EXPECT_EQ(m_store.string(QStringLiteral("menu.other"), QStringLiteral("Settings"), QString(), TruneLanguage::fr),
        QStringLiteral("Réglages"));
}

TEST_F(CatalogueStoreTest, OverridesWinInEveryLanguageAndAreReplacedAsAWhole)
{
    writeFile(
        inDirectory(QStringLiteral("de.json")), R"json({"Settings": "Einstellungen", "Trash": "Papierkorb"})json");
    const QString first = inDirectory(QStringLiteral("first.json"));
    writeFile(first, R"json({"Settings": "My Settings", "Trash": ""})json");
    ASSERT_TRUE(m_store.loadJSONPack(first).has_value());
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr, TruneLanguage::de}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Settings"), QStringLiteral("Ayarlar"), language),
            QStringLiteral("My Settings"));
    }
    EXPECT_EQ(german(QStringLiteral("Trash")), QStringLiteral("Papierkorb"));

    // A catalogue contributes its strings only; the first file's entries are gone.
    const QString second = inDirectory(QStringLiteral("second.json"));
    writeFile(second,
        R"json({"code": "xx", "isRTL": false, "strings": {"Trash": "Bin"}, "templates": {"Updated {0}": "Fresh {0}"}})json");
    ASSERT_TRUE(m_store.loadJSONPack(second).has_value());
    EXPECT_EQ(german(QStringLiteral("Settings")), QStringLiteral("Einstellungen"));
    EXPECT_EQ(german(QStringLiteral("Trash")), QStringLiteral("Bin"));
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Updated 3"), QString(), TruneLanguage::en),
        QStringLiteral("Updated 3"));

    m_store.clearCustomPack();
    EXPECT_EQ(german(QStringLiteral("Trash")), QStringLiteral("Papierkorb"));
}

TEST_F(CatalogueStoreTest, LoadingOverridesReportsTheFirstFailingStepAndKeepsTheOldOnes)
{
    const QString good = inDirectory(QStringLiteral("good.json"));
    writeFile(good, R"json({"Settings": "Mine"})json");
    ASSERT_TRUE(m_store.loadJSONPack(good).has_value());

    using Case = TruneLocalizationPackError::Case;
    struct Row {
        const char* name;
        QByteArray bytes; // empty: no file
        Case expected;
    };
    const Row rows[] = {
        {"missing.json", {}, Case::readFailed},
        {"plain.LZFSE", R"json({"Settings": "Plain"})json", Case::decompressionFailed},
        {"array.json", R"json(["Settings"])json", Case::decodingFailed},
        {"broken.json", R"json({"Settings": )json", Case::decodingFailed},
        {"wrong-type.json", R"json({"strings": {"Settings": 1}})json", Case::decodingFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = inDirectory(QString::fromUtf8(row.name));
        if (!row.bytes.isEmpty())
            writeFile(path, row.bytes);
        const auto loaded = m_store.loadJSONPack(path);
        ASSERT_FALSE(loaded.has_value());
        EXPECT_EQ(loaded.error().errorCase, row.expected);
        EXPECT_EQ(loaded.error().path, path);
        EXPECT_TRUE(loaded.error().description(TruneLanguage::en).contains(path));
        EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Settings"), QString(), TruneLanguage::en),
            QStringLiteral("Mine"));
    }
}

TEST_F(CatalogueStoreTest, CompressedOverrideFilesAreReadWhateverTheExtensionCase)
{
    const QString path = inDirectory(QStringLiteral("DE.JSON.LZFSE"));
    writeFile(path, fixture(QStringLiteral("de.json.lzfse")));
    ASSERT_TRUE(m_store.loadJSONPack(path).has_value());
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Move to Trash"), QString(), TruneLanguage::en),
        QStringLiteral("In den Papierkorb legen"));
}

TEST_F(CatalogueStoreTest, CanonicallyEquivalentSpellingsAreOneText)
{
    // The suite folder spells the key with a composed é, the registered directory decomposed.
    writeFile(TruneLocalizationStore::sharedSuiteLocalizationsDirectory() + QStringLiteral("/fr.json"),
        QStringLiteral(R"json({"Caf\u00e9": "Café (suite)"})json").toUtf8());
    writeFile(inDirectory(QStringLiteral("fr.json")),
        QStringLiteral(R"json({"Cafe\u0301": "Café (registered)"})json").toUtf8());
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Caf\u00e9"), QString(), TruneLanguage::fr),
        QStringLiteral("Café (registered)"));

    const QString overrides = inDirectory(QStringLiteral("overrides.json"));
    writeFile(overrides, QStringLiteral(R"json({"Cafe\u0301": "Coffee"})json").toUtf8());
    ASSERT_TRUE(m_store.loadJSONPack(overrides).has_value());
    EXPECT_EQ(m_store.resolve(std::nullopt, QStringLiteral("Caf\u00e9"), QString(), TruneLanguage::en),
        QStringLiteral("Coffee"));
}
