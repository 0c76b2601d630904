#include "kit/platform/TrunePlatform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

TEST(TrunePlatformTest, OperatingSystemVersionHasThreeNumbers)
{
    const QString version = TrunePlatform::operatingSystemVersion();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch())
        << version.toStdString();
#if !defined(Q_OS_MACOS)
    EXPECT_EQ(version, QStringLiteral("14.0.0"));
#endif
}

TEST(TrunePlatformTest, ExecutablePathNamesTheRunningProgram)
{
    const QString expected = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(TrunePlatform::executablePath(), expected);
}
