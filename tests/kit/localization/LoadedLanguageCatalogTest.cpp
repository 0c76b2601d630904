#include "kit/localization/LoadedLanguageCatalog.h"

#include <gtest/gtest.h>

namespace {

QStringList targetsIn(const LoadedLanguageCatalog::TemplateBuckets& buckets, const QString& key)
{
    QStringList targets;
    for (const CompiledTemplate& compiled : buckets.value(key))
        targets.append(compiled.targetTemplate());
    return targets;
}

} // namespace

TEST(LoadedLanguageCatalogTest, FilesTemplatesByTheirLongerLiteralEnd)
{
    const LoadedLanguageCatalog catalog({},
        {
            {QStringLiteral("Version {0}"), QStringLiteral("Version {0}")},
            {QStringLiteral("{0} left"), QStringLiteral("noch {0}")},
            {QStringLiteral("ab{0}"), QStringLiteral("AB {0}")},
            {QStringLiteral("{0} of {1}"), QStringLiteral("{0} von {1}")}, // both ends empty: dropped
            {QStringLiteral("Hello {1}"), QStringLiteral("Hallo {1}")},    // no {0}: not a template
            {QStringLiteral("Blank {0}"), QString()},                      // no translation
        });
    EXPECT_EQ(targetsIn(catalog.byPrefix(), QStringLiteral("Ver")), QStringList{QStringLiteral("Version {0}")});
    EXPECT_EQ(targetsIn(catalog.byPrefix(), QStringLiteral("ab")), QStringList{QStringLiteral("AB {0}")});
    EXPECT_EQ(targetsIn(catalog.bySuffix(), QStringLiteral("eft")), QStringList{QStringLiteral("noch {0}")});
    EXPECT_EQ(catalog.byPrefix().size(), 2);
    EXPECT_EQ(catalog.bySuffix().size(), 1);
    EXPECT_EQ(catalog.lookup(std::nullopt, QStringLiteral("3 of 4")), std::nullopt);
    EXPECT_EQ(catalog.lookup(std::nullopt, QStringLiteral("Hello you")), std::nullopt);
    EXPECT_EQ(catalog.lookup(std::nullopt, QStringLiteral("Blank page")), std::nullopt);
}

TEST(LoadedLanguageCatalogTest, LooksUpKeyThenTextThenTemplates)
{
    const LoadedLanguageCatalog catalog(
        {
            {QStringLiteral("settings.title"), QStringLiteral("Einstellungen (Titel)")},
            {QStringLiteral("Settings"), QStringLiteral("Einstellungen")},
            {QStringLiteral("empty.key"), QString()},
            {QStringLiteral("Version 1"), QString()},
            {QStringLiteral("Caf\u00e9"), QStringLiteral("Kaffee")},
        },
        {
            {QStringLiteral("Updated {0}"), QStringLiteral("A: {0}")},
            {QStringLiteral("Updated {0} apps"), QStringLiteral("B: {0}")},
            {QStringLiteral("Version {0}"), QStringLiteral("Fassung {0}")},
            {QStringLiteral("{0} left"), QStringLiteral("noch {0}")},
            {QStringLiteral("ab{0}"), QStringLiteral("AB {0}")},
        });
    struct Row {
        std::optional<QString> key;
        QString en;
        std::optional<QString> expected;
    };
    const Row rows[] = {
        {QStringLiteral("settings.title"), QStringLiteral("Settings"), QStringLiteral("Einstellungen (Titel)")},
        {QStringLiteral("unknown.key"), QStringLiteral("Settings"), QStringLiteral("Einstellungen")},
        {QStringLiteral("empty.key"), QStringLiteral("Settings"), QStringLiteral("Einstellungen")},
        {std::nullopt, QStringLiteral("settings"), std::nullopt}, // exact entries are case-sensitive
        {std::nullopt, QStringLiteral("Cafe\u0301"), QStringLiteral("Kaffee")},
        // An empty exact entry does not hide a template.
        {std::nullopt, QStringLiteral("Version 1"), QStringLiteral("Fassung 1")},
        // The template with more literal characters wins.
        {std::nullopt, QStringLiteral("Updated 5 apps"), QStringLiteral("B: 5")},
        {std::nullopt, QStringLiteral("Updated 5 files"), QStringLiteral("A: 5 files")},
        {std::nullopt, QStringLiteral("3 days left"), QStringLiteral("noch 3 days")},
        {std::nullopt, QStringLiteral("abc"), QStringLiteral("AB c")}, // found by its first two characters
        {std::nullopt, QStringLiteral("ab"), std::nullopt},
        {std::nullopt, QStringLiteral("Nothing"), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.en.toStdString());
        EXPECT_EQ(catalog.lookup(row.key, row.en), row.expected);
    }
}

TEST(LoadedLanguageCatalogTest, EmptyCatalogueMissesEverything)
{
    const LoadedLanguageCatalog empty = LoadedLanguageCatalog::empty();
    EXPECT_TRUE(empty.strings().isEmpty());
    EXPECT_EQ(empty.lookup(QStringLiteral("Settings"), QStringLiteral("Settings")), std::nullopt);
}
