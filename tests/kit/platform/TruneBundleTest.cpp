#include "kit/platform/TruneBundle.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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

TEST(TruneBundleTest, PathForResourceFindsOnlyExistingFiles)
{
    QTemporaryDir resources;
    QFile file(resources.filePath(QStringLiteral("release-log.jsonl")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QDir(resources.path()).mkdir(QStringLiteral("folder.jsonl"));
    const TruneBundle bundle({}, resources.path());
    EXPECT_EQ(bundle.pathForResource(QStringLiteral("release-log"), QStringLiteral("jsonl")), file.fileName());
    EXPECT_EQ(bundle.pathForResource(QStringLiteral("release-log"), QStringLiteral("json")), std::nullopt);
    EXPECT_EQ(bundle.pathForResource(QStringLiteral("folder"), QStringLiteral("jsonl")), std::nullopt);
}
