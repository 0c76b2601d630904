#include "kit/localization/TruneText.h"
#include "kit/localization/TruneLocalizationStore.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

TEST(TruneTextTest, ShowsACompressedCatalogueTranslationForAThirdLanguage)
{
    TempHome home;
    QTemporaryDir catalogues;
    ASSERT_TRUE(QFile::copy(QStringLiteral(TRUNE_LZFSE_FIXTURE_DIR "/de.json.lzfse"),
        catalogues.filePath(QStringLiteral("de.json.lzfse"))));
    TruneLocalizationStore::shared().registerSearchDirectory(catalogues.path());

    EXPECT_EQ(truneText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), TruneLanguage::de),
        QStringLiteral("Einstellungen"));
    EXPECT_EQ(
        truneText(QStringLiteral("Updated 12 apps"), QStringLiteral("12 uygulama güncellendi"), TruneLanguage::de),
        QStringLiteral("12 Apps aktualisiert"));
    EXPECT_EQ(
        truneText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), TruneLanguage::tr), QStringLiteral("Ayarlar"));
    EXPECT_EQ(truneText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), TruneLanguage::en),
        QStringLiteral("Settings"));
    // A language without a catalogue shows English.
    EXPECT_EQ(truneText(QStringLiteral("Probe text without any translation"), QStringLiteral("Çevirisiz"), std::nullopt,
                  TruneLanguage::sv),
        QStringLiteral("Probe text without any translation"));

    TruneLocalizationStore::shared().reloadCatalogs();
}
