#include "kit/desktop/TruneAppActivationDelegate.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneNotifier.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSysInfo>
#include <QWidget>
#include <QWindow>

#include <memory>

namespace {

std::unique_ptr<QWindow> makeWindow(Qt::WindowFlags flags)
{
    auto window = std::make_unique<QWindow>();
    window->setFlags(flags);
    window->resize(320, 200);
    return window;
}

bool isActive(const QWindow& window)
{
    return waitUntil([&] { return QGuiApplication::focusWindow() == &window; });
}

// Counts the reopen notifications posted while it lives.
class ReopenNotifications final {
public:
    ReopenNotifications()
    {
        QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted, &m_receiver, [this](const QString& name) {
            if (name == TruneNotificationName::reopenStudioWindow)
                ++m_count;
        });
    }

    int count() const { return m_count; }

private:
    QObject m_receiver;
    int m_count = 0;
};

} // namespace

TEST(TruneAppActivationDelegateTest, LaunchLogsOneLineThenBringsTheStudioWindowForward)
{
    const TempHome home;
    const TruneBundle bundle({{QStringLiteral("CFBundleDisplayName"), QStringLiteral("Launch Probe")},
                                 {QStringLiteral("CFBundleName"), QStringLiteral("LaunchProbe")},
                                 {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("2.3.4")},
                                 {QStringLiteral("CFBundleVersion"), QStringLiteral("56")}},
        QString());
    const auto studio = makeWindow(Qt::Window);
    TruneAppActivationDelegate delegate;

    delegate.applicationDidFinishLaunching(bundle);
    EXPECT_FALSE(studio->isVisible()) << "the window comes forward once launching has finished";

    const std::vector<TruneLogEntry> entries
        = TruneAppLogger::shared(QStringLiteral("Launch Probe")).recentEntries(10, TruneLogLevel::debug);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].level, TruneLogLevel::info);
    EXPECT_EQ(entries[0].category, QStringLiteral("lifecycle"));
    EXPECT_EQ(entries[0].message,
        QStringLiteral("Launch Probe v2.3.4 (56) launched (Linux %1)").arg(QSysInfo::prettyProductName()));

    EXPECT_TRUE(waitUntil([&] { return studio->isVisible(); }));
    EXPECT_TRUE(isActive(*studio));
}

TEST(TruneAppActivationDelegateTest, OnlyTheFirstWindowThatCanBeMainComesForward)
{
    const std::unique_ptr<QWindow> passedOver[] = {
        makeWindow(Qt::Tool),
        makeWindow(Qt::Popup),
        makeWindow(Qt::Dialog),
        makeWindow(Qt::Window | Qt::WindowDoesNotAcceptFocus),
        makeWindow(Qt::Window | Qt::BypassWindowManagerHint),
    };
    TruneAppActivationDelegate::bringStudioWindowToFront();
    settle();
    for (const auto& window : passedOver) {
        SCOPED_TRACE(window->flags().toInt());
        EXPECT_FALSE(window->isVisible());
    }

    const auto studio = makeWindow(Qt::Window);
    const auto later = makeWindow(Qt::Window);
    TruneAppActivationDelegate::bringStudioWindowToFront();
    EXPECT_TRUE(studio->isVisible());
    EXPECT_FALSE(later->isVisible());
    for (const auto& window : passedOver)
        EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(isActive(*studio));
}

// A closed studio window that a widget carries comes back as a whole: afterwards it closes again
// (with the window left half-shown, Quit would close it forever without end).
TEST(TruneAppActivationDelegateTest, AClosedWidgetWindowComesBackThroughItsWidget)
{
    QWidget studio;
    studio.resize(320, 200);
    studio.show();
    ASSERT_TRUE(waitUntil([&] { return studio.windowHandle() && studio.windowHandle()->isExposed(); }));
    ASSERT_TRUE(studio.close());
    ASSERT_FALSE(studio.isVisible());

    TruneAppActivationDelegate::bringStudioWindowToFront();
    EXPECT_TRUE(studio.isVisible());
    EXPECT_FALSE(studio.isHidden());
    EXPECT_TRUE(isActive(*studio.windowHandle()));

    EXPECT_TRUE(studio.close());
    EXPECT_FALSE(studio.isVisible());
}

TEST(TruneAppActivationDelegateTest, AMinimisedStudioWindowIsRestoredAndActivated)
{
    const auto studio = makeWindow(Qt::Window);
    studio->show();
    studio->setWindowStates(Qt::WindowMinimized);
    ASSERT_TRUE(studio->windowStates().testFlag(Qt::WindowMinimized));

    TruneAppActivationDelegate::bringStudioWindowToFront();
    EXPECT_FALSE(studio->windowStates().testFlag(Qt::WindowMinimized));
    EXPECT_TRUE(studio->isVisible());
    EXPECT_TRUE(isActive(*studio));
}

TEST(TruneAppActivationDelegateTest, AReopenWithAVisibleStudioWindowBringsItForwardWithoutNotifying)
{
    const auto studio = makeWindow(Qt::Window);
    studio->show();
    const auto other = makeWindow(Qt::Window);
    other->show();
    other->requestActivate();
    ASSERT_TRUE(isActive(*other));
    const ReopenNotifications notifications;
    TruneAppActivationDelegate delegate;

    EXPECT_TRUE(TruneAppActivationDelegate::hasVisibleWindows());
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_TRUE(isActive(*studio));
    delegate.handleReopenRequest();
    settle();
    EXPECT_EQ(notifications.count(), 0);
}

// A visible panel (the menu-bar popup, say) is not a studio window: the reopen must still ask
// for one.
TEST(TruneAppActivationDelegateTest, AReopenWithoutVisibleWindowsPostsOneNotificationAndShowsNothing)
{
    const auto studio = makeWindow(Qt::Window);
    const auto panel = makeWindow(Qt::Tool);
    panel->show();
    TruneAppActivationDelegate delegate;

    EXPECT_FALSE(TruneAppActivationDelegate::hasVisibleWindows());
    {
        const ReopenNotifications notifications;
        EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
        settle();
        EXPECT_EQ(notifications.count(), 1);
    }
    {
        const ReopenNotifications notifications;
        delegate.handleReopenRequest();
        settle();
        EXPECT_EQ(notifications.count(), 1);
    }
    EXPECT_FALSE(studio->isVisible());
}
