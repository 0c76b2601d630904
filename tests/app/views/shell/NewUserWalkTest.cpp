#include "app/menubar/MenuBarUpdatePopoverView.h"
#include "app/models/AppsListModel.h"
#include "app/views/apps/AppRowDelegate.h"
#include "app/views/apps/AppsAndUpdatesView.h"
#include "app/views/parts/FilterChipButton.h"
#include "app/views/parts/MetricPillCard.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/views/apps/AppsTabFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTest>

// A first-time user over the fixture home: finds the outdated apps first, narrows the list to
// them, searches, downloads one update, ignores another, and gets the studio back from the
// popover after closing it. (The tray item that opens the popover belongs to the studio's shell.)
class NewUserWalkTest : public AppsTabTest { };

TEST_F(NewUserWalkTest, FromTheAppsTabToThePopoverAndBack)
{
    UpdateStudioViewModel& model = startStudio();
    ViewHost host(new AppsAndUpdatesView(model, studioAccent()));
    AppsAndUpdatesView* page = host.view;
    TruneGroundBackground* studio = host.window.get();
    QListView& list = *page->findChild<QListView*>(u"appsList"_s);
    const auto listed = [&] {
        QStringList names;
        for (int row = 0; row < page->listModel().rowCount(); ++row)
            names.append(page->listModel().row(row).app.name);
        return names;
    };
    const auto click = [&](const QString& app, AppRowButton button) {
        const int row = static_cast<int>(listed().indexOf(app));
        ASSERT_GE(row, 0) << app.toStdString() << " is not listed";
        const QRect rect = page->rowDelegate().buttonRect(page->listModel().index(row), button);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    };

    // The outdated apps come first.
    EXPECT_EQ(listed().mid(0, 2), (QStringList{u"Feedy"_s, u"Firefox"_s}));

    // Only the updates, then a search among them.
    QTest::mouseClick(page->findChild<FilterChipButton*>(u"filterChip-updatesAvailable"_s), Qt::LeftButton);
    EXPECT_EVENTUALLY_EQ(listed(), (QStringList{u"Feedy"_s, u"Firefox"_s}));
    auto* search = page->findChild<QLineEdit*>(u"appSearchField"_s);
    search->setFocus();
    QTest::keyClicks(search, u"feed"_s);
    EXPECT_EVENTUALLY_EQ(listed(), QStringList{u"Feedy"_s});

    // Download the update: the browser opens the feed's download.
    click(u"Feedy"_s, AppRowButton::update);
    ASSERT_TRUE(xdgOpen.waitForCalls(1));
    EXPECT_EQ(xdgOpen.calls().front(), QStringList{u"https://downloads.example/2.0.zip"_s});

    // Back to every update; ignore Firefox: the counts drop.
    QTest::mouseClick(page->findChild<QWidget*>(u"clearSearchButton"_s), Qt::LeftButton);
    EXPECT_EVENTUALLY_EQ(listed().size(), 2);
    click(u"Firefox"_s, AppRowButton::menu);
    QMenu* menu = page->rowMenu();
    ASSERT_TRUE(menu);
    QAction* ignore = menu->actions().last();
    EXPECT_EQ(ignore->text(), u"Ignore Updates"_s);
    ignore->trigger();
    menu->close();
    EXPECT_EVENTUALLY_EQ(listed(), QStringList{u"Feedy"_s});
    EXPECT_EQ(page->findChild<MetricPillCard*>(u"updatesAvailableCard"_s)->value(), u"1"_s);
    EXPECT_EQ(page->findChild<FilterChipButton*>(u"filterChip-updatesAvailable"_s)->text(), u"Updates (1)"_s);

    // The window is closed; the popover brings it back.
    studio->close();
    ASSERT_FALSE(studio->isVisible());
    MenuBarUpdatePopoverView popover(
        model,
        [&] {
            studio->show();
            studio->raise();
            studio->activateWindow();
        },
        studioAccent());
    popover.show();
    EXPECT_EQ(popover.findChild<QLabel*>(u"popoverStatusLabel"_s)->text(), u"1 pending"_s);
    QTest::mouseClick(popover.findChild<QWidget*>(u"popoverOpenStudioButton"_s), Qt::LeftButton);
    EXPECT_TRUE(studio->isVisible());
    EXPECT_EQ(model.state().selectedFilter, AppFilterKind::updatesAvailable) << "the studio is as the user left it";
}
