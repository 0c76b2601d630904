#include "kit/foundation/TruneAppVersion.h"

#include <gtest/gtest.h>

namespace {

TruneBundle bundleWith(QVariant shortVersion, QVariant build)
{
    QVariantMap info;
    if (shortVersion.isValid())
        info.insert(QStringLiteral("CFBundleShortVersionString"), shortVersion);
    if (build.isValid())
        info.insert(QStringLiteral("CFBundleVersion"), build);
    return TruneBundle(info, QString());
}

} // namespace

TEST(TruneAppVersionTest, DisplayForms)
{
    const TruneAppVersion version{QStringLiteral("2.0.1"), QStringLiteral("214")};
    EXPECT_EQ(version.tag(), QStringLiteral("v2.0.1"));
    EXPECT_EQ(version.detailedDisplay(), QStringLiteral("v2.0.1 (214)"));
}

TEST(TruneAppVersionTest, SemVerReadsTheShortVersionStrictly)
{
    const auto semVerOf = [](const char* shortVersion) {
        return TruneAppVersion{QString::fromLatin1(shortVersion), QStringLiteral("1")}.semVer();
    };
    EXPECT_EQ(semVerOf("2.0.1"), TruneSemVer(2, 0, 1));
    EXPECT_EQ(semVerOf("v2.0.1"), TruneSemVer(2, 0, 1));
    EXPECT_EQ(semVerOf("2.1"), std::nullopt);
    EXPECT_EQ(semVerOf("2.0.1-beta"), std::nullopt);
}

TEST(TruneAppVersionTest, CurrentReadsTrimmedTextOrFallsBack)
{
    struct Case {
        const char* name;
        QVariant shortVersion;
        QVariant build;
        TruneAppVersion expected;
    };
    const Case cases[] = {
        {"trimmed", QStringLiteral("  2.1\n"), QStringLiteral(" 7 "), {QStringLiteral("2.1"), QStringLiteral("7")}},
        {"blank", QStringLiteral("   "), QStringLiteral("\n"), {QStringLiteral("9.9"), QStringLiteral("1")}},
        {"not text", 2, 3.5, {QStringLiteral("9.9"), QStringLiteral("1")}},
        {"missing", QVariant(), QVariant(), {QStringLiteral("9.9"), QStringLiteral("1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            TruneAppVersion::current(bundleWith(c.shortVersion, c.build), QStringLiteral("9.9"), QStringLiteral("1")),
            c.expected);
    }
}

TEST(TruneAppVersionTest, MainBundleUsesTheBuildTimeVersion)
{
    const TruneAppVersion version = TruneAppVersion::current();
    EXPECT_EQ(version.shortVersion, QStringLiteral("1.0.0"));
    EXPECT_FALSE(version.buildNumber.isEmpty());
}
