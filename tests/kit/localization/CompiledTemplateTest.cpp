#include "kit/localization/CompiledTemplate.h"

#include <gtest/gtest.h>

TEST(CompiledTemplateTest, CompilesPlaceholdersInOrderAndRejectsWhatCannotMatch)
{
    struct Row {
        const char* source;
        std::optional<QStringList> literals; // none: rejected
    };
    const Row rows[] = {
        {"Updated {0} apps", QStringList{"Updated ", " apps"}},
        {"Copied {0} of {1} files", QStringList{"Copied ", " of ", " files"}},
        {"{0} of {1}", QStringList{"", " of ", ""}},
        // {1} before {0} is text, and the numbering ends at the first missing number.
        {"{1} before {0}", QStringList{"{1} before ", ""}},
        {"Step {0} of {2}", QStringList{"Step ", " of {2}"}},
        {"Hello {1}", std::nullopt},
        {"Hello", std::nullopt},
        {"{0}", std::nullopt},
        {"a{0}", std::nullopt}, // one literal character is too unspecific
        {"{0}x{1}", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        const auto compiled = CompiledTemplate::compile(QString::fromUtf8(row.source), QStringLiteral("t {0}"));
        ASSERT_EQ(compiled.has_value(), row.literals.has_value());
        if (!compiled)
            continue;
        EXPECT_EQ(compiled->sourceLiterals(), *row.literals);
        EXPECT_EQ(compiled->placeholderCount(), row.literals->size() - 1);
        qsizetype weight = 0;
        for (const QString& literal : *row.literals)
            weight += literal.size();
        EXPECT_EQ(compiled->literalWeight(), weight);
    }
}

TEST(CompiledTemplateTest, AppliesToTextsBuiltFromTheTemplate)
{
    struct Row {
        const char* source;
        const char* target;
        const char* text;
        std::optional<const char*> translated;
    };
    const Row rows[] = {
        {"Updated {0} apps", "{0} Apps aktualisiert", "Updated 12 apps", "12 Apps aktualisiert"},
        {"Updated {0} apps", "{0} Apps aktualisiert", "Updated  apps", std::nullopt}, // empty capture
        {"Updated {0} apps", "{0} Apps aktualisiert", "Updated apps", std::nullopt},
        {"Updated {0} apps", "{0} Apps aktualisiert", "Updated 12 app", std::nullopt},
        {"Updated {0} apps", "{0} Apps aktualisiert", "Removed 12 apps", std::nullopt},
        {"Copied {0} of {1} files", "{1} Dateien, davon {0} kopiert", "Copied 3 of 10 files",
            "10 Dateien, davon 3 kopiert"},
        // The first occurrence of a middle literal ends a capture.
        {"{0} of {1} left", "{0} / {1}", "a of b of c left", "a / b of c"},
        {"Copied {0} of {1} files", "x", "Copied  of 10 files", std::nullopt},
        {"Copied {0} of {1} files", "x", "Copied 3 of  files", std::nullopt},
        {"Copied {0} of {1} files", "x", "Copied 3 to 10 files", std::nullopt},
        // A placeholder of the target without a capture stays as written.
        {"Version {0}", "Sürüm {0} ({1})", "Version 2.1", "Sürüm 2.1 ({1})"},
        {"Version {0}", "{0}{0}", "Version 7", "77"},
        // Literals and texts that differ only in how an accent is encoded still match.
        {"Caf\u00e9 {0}", "Kaffee {0}", "Cafe\u0301 Paris", "Kaffee Paris"},
        // A literal never ends inside a character: "xy" is not a prefix of "xý".
        {"xy{0}", "{0}", "xy\u0301z", std::nullopt},
        {"xy{0}", "{0}", "xyz", "z"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto compiled = CompiledTemplate::compile(QString::fromUtf8(row.source), QString::fromUtf8(row.target));
        ASSERT_TRUE(compiled.has_value());
        const auto translated = compiled->apply(QString::fromUtf8(row.text));
        if (row.translated)
            EXPECT_EQ(translated, QString::fromUtf8(*row.translated));
        else
            EXPECT_EQ(translated, std::nullopt);
    }
}

TEST(CompiledTemplateTest, CapturedValuesThatLookLikePlaceholdersAreNotFilledAgain)
{
    const auto rename
        = CompiledTemplate::compile(QStringLiteral("Rename {0} to {1}"), QStringLiteral("{0} wird zu {1}"));
    ASSERT_TRUE(rename.has_value());
    EXPECT_EQ(rename->apply(QStringLiteral("Rename {1} to Backup")), QStringLiteral("{1} wird zu Backup"));
    EXPECT_EQ(rename->apply(QStringLiteral("Rename Notes to {0}")), QStringLiteral("Notes wird zu {0}"));

    const auto swapped
        = CompiledTemplate::compile(QStringLiteral("Move {0} before {1}"), QStringLiteral("{1} nach {0}"));
    ASSERT_TRUE(swapped.has_value());
    EXPECT_EQ(swapped->apply(QStringLiteral("Move {1} before {0}")), QStringLiteral("{0} nach {1}"));
}

TEST(CompiledTemplateTest, WeightAndLengthCountCharactersNotCodeUnits)
{
    // "😀" is two UTF-16 code units, "👍🏽" four, each one character.
    const auto compiled = CompiledTemplate::compile(QStringLiteral("😀{0}👍🏽"), QStringLiteral("[{0}]"));
    ASSERT_TRUE(compiled.has_value());
    EXPECT_EQ(compiled->literalWeight(), 2);
    EXPECT_EQ(compiled->apply(QStringLiteral("😀ok👍🏽")), QStringLiteral("[ok]"));
    EXPECT_EQ(compiled->apply(QStringLiteral("😀👍🏽")), std::nullopt);
}
