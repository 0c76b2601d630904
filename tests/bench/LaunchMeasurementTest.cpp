#include "bench/LaunchMeasurement.h"
#include "bench/WindowProbe.h"
#include "tests/support/PrivateXServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QUuid>

#include <cstdlib>
#include <memory>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The processes whose command line holds `marker`.
int processesWith(const QByteArray& marker)
{
    int count = 0;
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile commandLine(u"/proc/"_s + entry + u"/cmdline"_s);
        if (commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(marker))
            ++count;
    }
    return count;
}

class LaunchMeasurementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = std::make_unique<PrivateXServer>(PrivateXServer::Options{.screen = "1920x1080x24", .blackRoot = true});
        ASSERT_FALSE(server->display().empty()) << "Xvfb did not start";
        ::setenv("DISPLAY", server->display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::unsetenv("WAYLAND_DISPLAY");
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override { ASSERT_TRUE(probe.isConnected()); }

    static LaunchPlan bareWindow(const QString& argumentTitle, const QString& expectedTitle, int paintTimeoutMs)
    {
        return {.program = QStringLiteral(TRUNE_BARE_WINDOW_PROGRAM),
            .arguments = {argumentTitle},
            .windowTitle = expectedTitle,
            .paintTimeoutMs = paintTimeoutMs,
            .settleWindowMs = 1000,
            .memoryTimeoutMs = 20'000};
    }

    static inline std::unique_ptr<PrivateXServer> server;
    WindowProbe probe{QString::fromStdString(server->display())};
};

TEST_F(LaunchMeasurementTest, MeasuresTheBareWindowsFirstPaintAndSettledMemory)
{
    const QString title = u"Bare window ✓"_s;
    const LaunchMeasurement measurement = measureLaunch(bareWindow(title, title, 20'000), probe);
    ASSERT_EQ(measurement.failure, QString());
    ASSERT_TRUE(measurement.firstPaintMs);
    EXPECT_GT(*measurement.firstPaintMs, 0.0);
    EXPECT_LT(*measurement.firstPaintMs, 20'000.0);
    ASSERT_TRUE(measurement.residentBytes);
    EXPECT_GT(*measurement.residentBytes, 5 * 1024 * 1024) << "a Qt Widgets process";
    EXPECT_TRUE(measurement.memorySettled);
    EXPECT_FALSE(probe.findWindow(title)) << "the window is closed after the measurement";
}

TEST_F(LaunchMeasurementTest, AWindowThatNeverAppearsTimesOutAndLeavesNoProcess)
{
    const QByteArray marker = QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    QElapsedTimer elapsed;
    elapsed.start();
    const LaunchMeasurement measurement
        = measureLaunch(bareWindow(QString::fromLatin1(marker), u"A title no window has"_s, 1500), probe);
    EXPECT_FALSE(measurement.firstPaintMs);
    EXPECT_FALSE(measurement.residentBytes);
    EXPECT_TRUE(measurement.failure.startsWith(u"no painted window titled \"A title no window has\""_s))
        << measurement.failure.toStdString();
    EXPECT_LT(elapsed.elapsed(), 1500 + 7000);
    EXPECT_EQ(processesWith(marker), 0);
}

TEST_F(LaunchMeasurementTest, AProgramThatEndsBeforePaintingFailsAtOnce)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const LaunchMeasurement measurement
        = measureLaunch({.program = u"/bin/sh"_s, .arguments = {u"-c"_s, u"exit 4"_s}, .windowTitle = u"x"_s}, probe);
    EXPECT_TRUE(measurement.failure.contains(u"ended (status 4) before its window was painted"_s))
        << measurement.failure.toStdString();
    EXPECT_LT(elapsed.elapsed(), 5000);

    const LaunchMeasurement missing = measureLaunch({.program = u"/no/such/program"_s, .windowTitle = u"x"_s}, probe);
    EXPECT_TRUE(missing.failure.contains(u"cannot be started"_s)) << missing.failure.toStdString();
}

TEST(ResidentBytes, ReadsVmRssAndNothingForAProcessThatIsGone)
{
    const std::optional<qint64> own = residentBytesOf(::getpid());
    ASSERT_TRUE(own);
    EXPECT_GT(*own, 1024 * 1024);
    EXPECT_FALSE(residentBytesOf(0));
}

} // namespace
