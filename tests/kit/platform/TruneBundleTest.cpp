#include "kit/platform/TruneBundle.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

TEST(TruneBundleTest, MainBundleCarriesTheBuildTimeIdentityAndDataFolder)
{
    const TruneBundle& bundle = TruneBundle::main();
    EXPECT_EQ(bundle.bundleIdentifier(), QStringLiteral("com.quorvane.truneupdate"));
    EXPECT_EQ(bundle.infoValue(QStringLiteral("CFBundleName")).toString(), QStringLiteral("TruneUpdate"));
    EXPECT_FALSE(bundle.infoValue(QStringLiteral("CFBundleShortVersionString")).toString().isEmpty());
    // Tests run from <build>/bin, so the data folder is <build>/share/truneupdate.
    EXPECT_TRUE(bundle.resourcesPath().endsWith(QStringLiteral("/share/truneupdate")));
    EXPECT_EQ(QFileInfo(bundle.resourcesPath() + QStringLiteral("/../../bin")).canonicalFilePath(),
              QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
}

TEST(TruneBundleTest, BundleIdentifierIsEmptyWhenNotText)
{
    const TruneBundle numeric({{QStringLiteral("CFBundleIdentifier"), 42}}, QString());
    EXPECT_TRUE(numeric.bundleIdentifier().isEmpty());
    const TruneBundle missing({}, QString());
    EXPECT_TRUE(missing.bundleIdentifier().isEmpty());
    EXPECT_FALSE(missing.infoValue(QStringLiteral("CFBundleName")).isValid());
}
