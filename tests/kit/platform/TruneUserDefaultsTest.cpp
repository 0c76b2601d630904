#include "kit/platform/TruneUserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QStringList>

namespace {

const QString languageKey = QStringLiteral("com.quorvane.preferredLanguage");

// The file the standard domain lives in, read the way another process would.
QSettings storeFile(const TempHome& home)
{
    return QSettings(home.configHome() + QStringLiteral("/Quorvane/TruneUpdate.conf"), QSettings::IniFormat);
}

} // namespace

TEST(TruneUserDefaultsTest, DottedKeysAreStoredFlatUnderTheProgramsDomain)
{
    TempHome home;
    TruneUserDefaults::standard().setString(languageKey, QStringLiteral("pt-BR"));

    EXPECT_EQ(TruneUserDefaults::standard().string(languageKey), QStringLiteral("pt-BR"));
    ASSERT_TRUE(QFile::exists(home.configHome() + QStringLiteral("/Quorvane/TruneUpdate.conf")));
    QSettings file = storeFile(home);
    EXPECT_TRUE(file.childGroups().isEmpty());
    EXPECT_EQ(file.childKeys(), QStringList{languageKey});
    EXPECT_EQ(file.value(languageKey).toString(), QStringLiteral("pt-BR"));
}

TEST(TruneUserDefaultsTest, ValuesRoundTrip)
{
    TempHome home;
    const TruneUserDefaults defaults = TruneUserDefaults::standard();
    struct Case {
        const char* name;
        QString key;
        QVariant value;
    };
    const std::vector<Case> cases{
        {"text with INI syntax", QStringLiteral("com.quorvane.tricky"), QStringLiteral("a=b; c, \"d\" [e] #f \\g")},
        {"multi-line text", QStringLiteral("com.quorvane.lines"), QStringLiteral("one\ntwo\r\nthree")},
        {"blanks kept", QStringLiteral("com.quorvane.blanks"), QStringLiteral("  padded  ")},
        {"non-ASCII text", QStringLiteral("com.quorvane.unicode"), QStringLiteral("Türkçe ✓ 日本語")},
        {"empty text", QStringLiteral("com.quorvane.empty"), QString()},
        {"key with spaces and non-ASCII", QStringLiteral("com.quorvane.clé avec espaces"), QStringLiteral("x")},
        {"bytes", QStringLiteral("com.quorvane.bookmark"), QByteArray("\0\x01\xFF bookmark", 13)},
        {"text list", QStringLiteral("com.quorvane.list"), QStringList{QStringLiteral("a,b"), QStringLiteral("c")}},
    };
    for (const Case& c : cases)
        defaults.setValue(c.key, c.value);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QVariant stored = TruneUserDefaults::standard().value(c.key);
        EXPECT_EQ(stored.typeId(), c.value.typeId()) << stored.typeName();
        EXPECT_EQ(stored, c.value);
    }
}

TEST(TruneUserDefaultsTest, StringIsOnlyForStoredText)
{
    TempHome home;
    const TruneUserDefaults defaults = TruneUserDefaults::standard();
    defaults.setValue(QStringLiteral("com.quorvane.bytes"), QByteArray("raw"));
    defaults.setValue(QStringLiteral("com.quorvane.count"), 42);

    EXPECT_EQ(defaults.string(QStringLiteral("com.quorvane.absent")), std::nullopt);
    EXPECT_FALSE(defaults.value(QStringLiteral("com.quorvane.absent")).isValid());
    EXPECT_EQ(defaults.string(QStringLiteral("com.quorvane.bytes")), std::nullopt);
    // The INI file keeps no types: a number comes back as its text.
    EXPECT_EQ(defaults.string(QStringLiteral("com.quorvane.count")), QStringLiteral("42"));
}

TEST(TruneUserDefaultsTest, RemovingTouchesOnlyTheNamedKey)
{
    TempHome home;
    const TruneUserDefaults defaults = TruneUserDefaults::standard();
    defaults.setString(languageKey, QStringLiteral("tr"));
    defaults.setString(QStringLiteral("com.quorvane.feedbackBaseURL"), QStringLiteral("https://example.com"));
    defaults.setString(QStringLiteral("com.quorvane.other"), QStringLiteral("kept"));

    defaults.remove(languageKey);
    defaults.setValue(QStringLiteral("com.quorvane.feedbackBaseURL"), QVariant());
    // QSettings would read an empty key as every key; here it names none.
    defaults.remove(QString());
    defaults.setValue(QString(), QStringLiteral("ignored"));

    EXPECT_FALSE(defaults.value(languageKey).isValid());
    EXPECT_FALSE(defaults.value(QStringLiteral("com.quorvane.feedbackBaseURL")).isValid());
    EXPECT_EQ(defaults.string(QStringLiteral("com.quorvane.other")), QStringLiteral("kept"));
    EXPECT_EQ(storeFile(home).allKeys(), QStringList{QStringLiteral("com.quorvane.other")});
}

TEST(TruneUserDefaultsTest, ChangesByAnotherWriterAreSeenAndHomesStayApart)
{
    {
        TempHome home;
        TruneUserDefaults::standard().setString(languageKey, QStringLiteral("de"));
        {
            QSettings other = storeFile(home);
            other.setValue(languageKey, QStringLiteral("fr"));
        }
        TruneUserDefaults::standard().sync();
        EXPECT_EQ(TruneUserDefaults::standard().string(languageKey), QStringLiteral("fr"));
    }
    TempHome fresh;
    EXPECT_EQ(TruneUserDefaults::standard().string(languageKey), std::nullopt);
}

TEST(TruneUserDefaultsTest, OtherDomainsAreSeparate)
{
    TempHome home;
    const TruneUserDefaults other(QStringLiteral("Quorvane"), QStringLiteral("Sibling"));
    other.setString(languageKey, QStringLiteral("ja"));
    EXPECT_EQ(other.string(languageKey), QStringLiteral("ja"));
    EXPECT_EQ(TruneUserDefaults::standard().string(languageKey), std::nullopt);
}
