// The adapters that stand for the desktop session's notifications, running applications,
// application launching and process liveness, on a private session bus.

#include "kit/platform/TruneApplicationLauncher.h"
#include "kit/platform/TruneDistributedNotificationCenter.h"
#include "kit/platform/TruneProcessLiveness.h"
#include "kit/platform/TruneRunningApplications.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class ApplicationEndpoint final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    int activations = 0;

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap&) { ++activations; }
};

class DesktopSessionAdaptersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrivateSessionBus::instance(); }

    TempHome home;
};

bool isNamed(const TruneRunningApplication& application, const QString& name)
{
    return application.localizedName == name;
}

} // namespace

TEST_F(DesktopSessionAdaptersTest, NotificationsReachObserversOfTheirNameUntilTheObservationEnds)
{
    std::vector<std::optional<QString>> heard;
    int othersHeard = 0;
    auto observation = TruneDistributedNotificationCenter::observe(
        u"com.example.ping"_s, [&](const std::optional<QString>& object) { heard.push_back(object); });
    const auto other
        = TruneDistributedNotificationCenter::observe(u"com.example.other"_s, [&](const auto&) { ++othersHeard; });
    ASSERT_TRUE(observation->isConnected());

    EXPECT_TRUE(TruneDistributedNotificationCenter::post(u"com.example.ping"_s, u"payload"_s));
    EXPECT_TRUE(TruneDistributedNotificationCenter::post(u"com.example.ping"_s));
    ASSERT_TRUE(waitUntil([&] { return heard.size() == 2; }));
    EXPECT_EQ(heard, (std::vector<std::optional<QString>>{u"payload"_s, std::nullopt}));

    observation.reset();
    EXPECT_TRUE(TruneDistributedNotificationCenter::post(u"com.example.ping"_s));
    EXPECT_TRUE(TruneDistributedNotificationCenter::post(u"com.example.other"_s));
    ASSERT_TRUE(waitUntil([&] { return othersHeard == 1; }));
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(DesktopSessionAdaptersTest, RunningApplicationsAreFoundByBusNameOrProcessName)
{
    const QString identifier = u"com.example.Zephyrine"_s;
    ApplicationEndpoint endpoint;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject(u"/com/example/Zephyrine"_s, &endpoint, QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(bus.registerService(identifier));

    const QString program = home.filePath(u"Zephyrine"_s);
    ASSERT_TRUE(QFile::copy(u"/bin/sleep"_s, program));
    QProcess process;
    process.start(program, {u"30"_s});
    ASSERT_TRUE(process.waitForStarted());

    const auto running = TruneRunningApplications::list();
    const auto byBus
        = std::ranges::find(running, std::optional(identifier), &TruneRunningApplication::bundleIdentifier);
    ASSERT_NE(byBus, running.end());
    const auto byName = std::ranges::find_if(running, [](const auto& a) { return isNamed(a, u"Zephyrine"_s); });
    ASSERT_NE(byName, running.end());
    EXPECT_EQ(byName->processIdentifier, process.processId());

    EXPECT_TRUE(TruneRunningApplications::activate(*byBus));
    EXPECT_EQ(endpoint.activations, 1);
    // Found only by its process name, an application cannot be asked to come forward.
    EXPECT_FALSE(TruneRunningApplications::activate(*byName));
    EXPECT_FALSE(TruneRunningApplications::activate({u"com.example.Nobody"_s, std::nullopt, 0}));

    process.kill();
    process.waitForFinished();
    bus.unregisterService(identifier);
}

TEST_F(DesktopSessionAdaptersTest, TheLauncherStartsOnlyAPlainRegularExecutableOfTheBundle)
{
    const QString marker = home.filePath(u"started"_s);
    const QByteArray script = "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n";
    const auto bundleWith
        = [&](const QString& name, const std::optional<QVariantMap>& info, const QByteArray& executable) {
              const QString bundle = home.filePath(u"Applications/%1.app"_s.arg(name));
              BundleMaker::makeAppBundle(bundle, {.info = info});
              if (!executable.isNull()) {
                  const QString path = bundle + u"/Contents/MacOS/Tool"_s;
                  BundleMaker::writeFile(path, executable);
                  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
              }
              return bundle;
          };
    const QVariantMap tool{{u"CFBundleExecutable"_s, u"Tool"_s}};

    struct Case {
        const char* label;
        QString bundle;
    };
    const QString noExecutableFile = bundleWith(u"Missing"_s, tool, QByteArray());
    const QString notExecutable = bundleWith(u"Plain"_s, tool, script);
    QFile::setPermissions(notExecutable + u"/Contents/MacOS/Tool"_s, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString linked = bundleWith(u"Linked"_s, tool, QByteArray());
    BundleMaker::makeSymlink(u"/bin/true"_s, linked + u"/Contents/MacOS/Tool"_s);
    const Case refused[] = {
        {"no Info.plist", bundleWith(u"NoInfo"_s, std::nullopt, script)},
        {"no executable named", bundleWith(u"NoName"_s, QVariantMap{}, script)},
        {"a path for a name",
            bundleWith(u"Path"_s, QVariantMap{{u"CFBundleExecutable"_s, u"../../../bin/sh"_s}}, script)},
        {"no such file", noExecutableFile},
        {"not executable", notExecutable},
        {"a link", linked},
        {"no bundle", home.filePath(u"Applications/Nowhere.app"_s)},
    };
    for (const Case& c : refused) {
        EXPECT_FALSE(TruneApplicationLauncher::launch(c.bundle)) << c.label;
    }
    EXPECT_FALSE(QFileInfo::exists(marker));

    EXPECT_TRUE(TruneApplicationLauncher::launch(bundleWith(u"Good"_s, tool, script), {.activates = false}));
    EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(marker); }));
}

TEST(TruneProcessLivenessTest, OnlyExistingSingleProcessesAreAlive)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(TruneProcessLiveness::isAlive(QCoreApplication::applicationPid()));
    EXPECT_TRUE(TruneProcessLiveness::isAlive(1)); // another user's process counts as well
    EXPECT_FALSE(TruneProcessLiveness::isAlive(child));
    EXPECT_FALSE(TruneProcessLiveness::isAlive(0));
    EXPECT_FALSE(TruneProcessLiveness::isAlive(-1));
    EXPECT_FALSE(TruneProcessLiveness::isAlive(qint64(1) << 40));
}

#include "TruneDesktopSessionAdaptersTest.moc"
