#include "app/viewmodel/UpdateStudioViewModel.h"

#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// Option-Command-U (Control-Alt-U here), pressed through the X server's test extension while the
// studio window is closed, reopens it on the updates tab and brings it to the front.
TEST(GlobalHotkeyX11Test, TheHotKeyReopensTheStudioOnTheUpdatesTab)
{
    const NoBrewAnywhere noBrew;
    StudioTestHome home;
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    ASSERT_TRUE(model.state().globalHotkeyRegistered);

    QWidget studio;
    studio.setWindowTitle(u"Studio"_s);
    studio.resize(400, 300);
    int opened = 0;
    model.bindStudioWindowOpener([&] {
        ++opened;
        studio.show();
    });
    model.setSelectedTab(UpdateStudioTab::settings);

    ASSERT_EQ(QProcess::execute(u"xdotool"_s, {u"key"_s, u"ctrl+alt+u"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return opened == 1 && studio.isVisible(); }));
    EXPECT_EQ(model.state().selectedTab, UpdateStudioTab::updates);
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &studio; }));
}

} // namespace
