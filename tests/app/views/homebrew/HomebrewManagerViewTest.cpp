#include "app/views/homebrew/HomebrewManagerView.h"
#include "app/models/HomebrewPackagesListModel.h"
#include "app/views/homebrew/HomebrewPackageRowDelegate.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TextsOf.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using RowButton = HomebrewPackageRowDelegate::RowButton;

namespace {

// The installed packages most tests start from: two casks (one outdated), two formulae the user
// asked for (one outdated) and three formulae that are there only as dependencies.
const std::vector<FakePackage> kShelf{
    {.name = u"firefox"_s, .isCask = true, .installed = u"1.0"_s, .latest = u"2.1"_s, .outdated = true},
    {.name = u"iterm2"_s, .isCask = true, .installed = u"3.5"_s, .latest = u"3.5"_s},
    {.name = u"wget"_s, .installed = u"1.21"_s, .latest = u"1.24"_s, .outdated = true},
    {.name = u"tree"_s, .installed = u"2.1"_s, .latest = u"2.1"_s},
    {.name = u"libidn2"_s, .onRequest = false},
    {.name = u"libunistring"_s, .onRequest = false},
    {.name = u"openssl@3"_s, .onRequest = false},
};

QStringList argumentsOf(const std::vector<FakeBrew::Run>& runs)
{
    QStringList lines;
    for (const FakeBrew::Run& run : runs)
        lines.append(run.arguments.join(u' '));
    return lines;
}

} // namespace

class HomebrewManagerViewTest : public BrewDeskTest {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override
    {
        host.reset();
        TruneAnimations::setEnabled(true);
    }

    // The view model, with the real desktop opener (which reaches the fake xdg-open).
    UpdateStudioViewModel& startStudio()
    {
        UpdateStudioEnvironment environment = home.environment();
        environment.openUrl = [](const QUrl& url) { return TruneDesktopServices::openUrl(url); };
        UpdateStudioViewModel& started = start(environment);
        started.setLanguage(TruneLanguage::en);
        return started;
    }

    // The tab as the studio shows it: on the emerald ground of the studio's window.
    HomebrewManagerView& showView()
    {
        host = std::make_unique<ViewHost<HomebrewManagerView>>(new HomebrewManagerView(*model, studioAccent()));
        view = host->view;
        return *view;
    }

    template <typename T> T* find(const QString& name) const { return findNamed<T>(*view, name); }

    QAbstractButton* subTab(const QString& tab) const { return find<QAbstractButton>(u"homebrewSubTab."_s + tab); }
    QListView* list() const { return find<QListView>(u"homebrewPackagesList"_s); }
    auto* packages() const { return static_cast<HomebrewPackagesListModel*>(list()->model()); }
    auto* delegate() const { return static_cast<HomebrewPackageRowDelegate*>(list()->itemDelegate()); }

    // The names of the rows the list shows, or none when the empty state stands in its place.
    QStringList rows() const
    {
        if (!list()->isVisible())
            return {};
        return textsOf(packages()->items(), &HomebrewItem::name);
    }

    std::optional<HomebrewItem> rowItem(const QString& name) const
    {
        for (const HomebrewItem& item : packages()->items()) {
            if (item.name == name)
                return item;
        }
        return std::nullopt;
    }

    std::vector<RowButton> buttonsOfRow(const QString& name) const
    {
        std::vector<RowButton> buttons;
        if (const auto item = rowItem(name)) {
            for (const auto& place : delegate()->buttonsOf(*item, rowRect(name)))
                buttons.push_back(place.button);
        }
        return buttons;
    }

    QRect rowRect(const QString& name) const
    {
        const auto& items = packages()->items();
        for (size_t row = 0; row < items.size(); ++row) {
            if (items[row].name == name)
                return list()->visualRect(packages()->index(int(row)));
        }
        return {};
    }

    std::optional<HomebrewPackageRowDelegate::ButtonPlace> place(const QString& name, RowButton button) const
    {
        const auto item = rowItem(name);
        if (!item)
            return std::nullopt;
        for (const auto& place : delegate()->buttonsOf(*item, rowRect(name))) {
            if (place.button == button)
                return place;
        }
        return std::nullopt;
    }

    void clickRowButton(const QString& name, RowButton button)
    {
        const auto target = place(name, button);
        ASSERT_TRUE(target) << qPrintable(name);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, target->rect.center());
        settle();
    }

    // The command has ended, its refresh is over and the view has heard of both.
    bool waitUntilIdle()
    {
        const bool idle = BrewDeskTest::waitUntilIdle();
        settle();
        return idle;
    }

    bool refreshed()
    {
        const bool done = refreshAndWait(*model);
        settle();
        return done;
    }

    void press(QWidget* widget, Qt::Key key)
    {
        QTest::keyClick(widget, key);
        settle();
    }

    void setLanguage(TruneLanguage language)
    {
        model->setLanguage(language);
        settle();
    }

    QMessageBox* confirmation() const { return view->findChild<QMessageBox*>(u"homebrewUninstallConfirmation"_s); }

    FakeXdgOpen xdgOpen;
    std::unique_ptr<ViewHost<HomebrewManagerView>> host;
    HomebrewManagerView* view = nullptr;
};

TEST_F(HomebrewManagerViewTest, WithoutBrewOnlyTheCardShowsAndABrewFoundLaterBringsTheTab)
{
    auto noBrew = std::make_optional<NoBrewAnywhere>();
    startStudio();
    showView();
    ASSERT_FALSE(state().brewExecutablePath);

    EXPECT_TRUE(find<QWidget>(u"homebrewMissingCard"_s)->isVisible());
    EXPECT_FALSE(find<QWidget>(u"homebrewTab"_s)->isVisible());
    EXPECT_EQ(find<QLabel>(u"homebrewMissingTitle"_s)->text(), u"Homebrew Not Detected"_s);
    auto* open = find<QAbstractButton>(u"homebrewOpenHomePage"_s);
    EXPECT_EQ(open->text(), u"Open brew.sh"_s);
    saveScreenshot(*host->window, u"homebrew-missing-en"_s);

    setLanguage(TruneLanguage::tr);
    EXPECT_EQ(open->text(), u"brew.sh Sayfasını Aç"_s);
    EXPECT_EQ(find<QLabel>(u"homebrewMissingTitle"_s)->text(), u"Homebrew Bulunamadı"_s);
    saveScreenshot(*host->window, u"homebrew-missing-tr"_s);

    click(open);
    ASSERT_TRUE(xdgOpen.waitForCalls(1));
    EXPECT_EQ(xdgOpen.calls(), std::vector<QStringList>{{u"https://brew.sh"_s}});

    // Homebrew gets installed: the next refresh finds it and the whole tab appears.
    noBrew.reset();
    HomebrewService::overrideSearchBundle(TruneBundle({}, brew.fake.folder()));
    answerWithPackages(brew.fake, kShelf);
    ASSERT_TRUE(refreshed());
    EXPECT_FALSE(find<QWidget>(u"homebrewMissingCard"_s)->isVisible());
    EXPECT_TRUE(find<QWidget>(u"homebrewTab"_s)->isVisible());
    EXPECT_EQ(find<QLabel>(u"homebrewExecutablePath"_s)->text(), brew.fake.executablePath());
    EXPECT_EQ(rows(), (QStringList{u"firefox"_s, u"iterm2"_s}));
}

TEST_F(HomebrewManagerViewTest, CountsStayPutWhileFilteringAndTheDependencyToggleFollowsTheFormulae)
{
    answerWithPackages(brew.fake, kShelf);
    startStudio();
    showView();
    auto* toggle = find<TruneGlassButton>(u"homebrewDependencyToggle"_s);
    auto* filter = find<QLineEdit>(u"homebrewFilterField"_s);

    EXPECT_EQ(subTab(u"casks"_s)->text(), u"Casks (2)"_s);
    EXPECT_EQ(subTab(u"formulae"_s)->text(), u"Formulae (2)"_s);
    EXPECT_EQ(subTab(u"search"_s)->text(), u"Search & Install"_s);
    EXPECT_FALSE(toggle->isVisible()) << "the toggle belongs to the formulae";
    saveScreenshot(*host->window, u"homebrew-casks-en"_s);

    click(subTab(u"formulae"_s));
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::formulae);
    EXPECT_EQ(rows(), (QStringList{u"wget"_s, u"tree"_s}));
    ASSERT_TRUE(toggle->isVisible());
    EXPECT_EQ(toggle->text(), u"Dependencies (+3)"_s);
    EXPECT_EQ(toggle->symbol(), u"eye.slash"_s);
    EXPECT_FALSE(toggle->isActive());

    // A filter brings in the dependencies that match it; the counts do not move.
    typeInto(filter, u"lib"_s);
    EXPECT_EQ(state().homebrewFilterQuery, u"lib"_s);
    EXPECT_EQ(rows(), (QStringList{u"libidn2"_s, u"libunistring"_s}));
    EXPECT_EQ(subTab(u"casks"_s)->text(), u"Casks (2)"_s);
    EXPECT_EQ(subTab(u"formulae"_s)->text(), u"Formulae (2)"_s);
    typeInto(filter, u"zzz"_s);
    EXPECT_EQ(rows(), QStringList{});
    EXPECT_EQ(find<QLabel>(u"homebrewEmptyText"_s)->text(), u"No packages in this list."_s);
    filter->selectAll();
    press(filter, Qt::Key_Delete);
    EXPECT_EQ(state().homebrewFilterQuery, QString());

    click(toggle);
    EXPECT_TRUE(state().showBrewDependencies);
    EXPECT_EQ(toggle->symbol(), u"eye.fill"_s);
    EXPECT_TRUE(toggle->isActive());
    EXPECT_EQ(rows().size(), 5);
    saveScreenshot(*host->window, u"homebrew-formulae-dependencies-en"_s);

    setLanguage(TruneLanguage::tr);
    EXPECT_EQ(subTab(u"casks"_s)->text(), u"Cask (2)"_s);
    EXPECT_EQ(toggle->text(), u"Alt Bağımlılıklar (+3)"_s);
    saveScreenshot(*host->window, u"homebrew-formulae-dependencies-tr"_s);
}

// The filter matches through texts lower-cased once per package list: packages brew reports
// renamed, added or gone between two keys must be matched by what they are now.
TEST_F(HomebrewManagerViewTest, TheFilterFollowsPackagesThatChangeBetweenKeys)
{
    answerWithPackages(brew.fake, kShelf);
    startStudio();
    showView();
    click(subTab(u"formulae"_s));
    auto* filter = find<QLineEdit>(u"homebrewFilterField"_s);
    typeInto(filter, u"lib"_s);
    ASSERT_EQ(rows(), (QStringList{u"libidn2"_s, u"libunistring"_s}));

    std::vector<FakePackage> changed = kShelf;
    changed[4].name = u"LIBIDN3"_s;                                 // renamed, upper-cased
    changed[5].name = u"unistring"_s;                               // renamed away from the filter
    changed.push_back({.name = u"libiconv"_s, .onRequest = false}); // added
    answerWithPackages(brew.fake, changed);
    ASSERT_TRUE(refreshed());
    EXPECT_EQ(rows(), (QStringList{u"libiconv"_s, u"LIBIDN3"_s})) << "the refresh alone refilters";

    typeInto(filter, u"i"_s);
    EXPECT_EQ(rows(), (QStringList{u"libiconv"_s, u"LIBIDN3"_s}));
    typeInto(filter, u"c"_s);
    EXPECT_EQ(rows(), QStringList{u"libiconv"_s});

    changed.pop_back(); // gone
    answerWithPackages(brew.fake, changed);
    ASSERT_TRUE(refreshed());
    EXPECT_EQ(rows(), QStringList{});
    press(filter, Qt::Key_Backspace);
    EXPECT_EQ(rows(), QStringList{u"LIBIDN3"_s});
}

TEST_F(HomebrewManagerViewTest, TheSearchTextSurvivesSubTabSwitchesAndASearchShowsInstallRows)
{
    answerWithPackages(brew.fake, {kShelf[0], kShelf[2]});
    brew.fake.respond({u"search"_s, u"--cask"_s, u"jq"_s}, {.stdoutPieces = {"==> Casks\njqbx\n"}});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"jq"_s}, {.stdoutPieces = {"==> Formulae\njq\ngojq\n"}});
    startStudio();
    showView();
    auto* search = find<QLineEdit>(u"homebrewSearchField"_s);
    auto* filter = find<QLineEdit>(u"homebrewFilterField"_s);

    click(subTab(u"formulae"_s));
    EXPECT_FALSE(find<QWidget>(u"homebrewDependencyToggle"_s)->isVisible()) << "no dependencies, no toggle";
    typeInto(filter, u"wg"_s);
    click(subTab(u"search"_s));
    EXPECT_FALSE(filter->isVisible());
    ASSERT_TRUE(search->isVisible());
    EXPECT_EQ(rows(), QStringList{});
    EXPECT_EQ(find<QLabel>(u"homebrewEmptyText"_s)->text(), u"Enter a package name and press Search."_s);
    typeInto(search, u"jq"_s);
    click(subTab(u"casks"_s));
    EXPECT_FALSE(search->isVisible());
    click(subTab(u"formulae"_s));
    EXPECT_EQ(filter->text(), u"wg"_s);
    click(subTab(u"search"_s));
    EXPECT_EQ(search->text(), u"jq"_s);

    // A search from the casks tab switches to the results itself.
    click(subTab(u"casks"_s));
    model->performBrewSearch();
    settle();
    ASSERT_TRUE(waitUntil([&] { return rows().size() == 3; }));
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::search);
    EXPECT_EQ(rows(), (QStringList{u"jqbx"_s, u"jq"_s, u"gojq"_s}));
    for (const QString& name : rows())
        EXPECT_EQ(buttonsOfRow(name), std::vector{RowButton::install}) << qPrintable(name);
    saveScreenshot(*host->window, u"homebrew-search-en"_s);
    setLanguage(TruneLanguage::tr);
    EXPECT_EQ(find<QLineEdit>(u"homebrewSearchField"_s)->placeholderText(),
        u"Homebrew'da ara (örn. raycast, jq, ffmpeg)..."_s);
    saveScreenshot(*host->window, u"homebrew-search-tr"_s);
}

TEST_F(HomebrewManagerViewTest, ASearchThatFindsNothingSaysSoInPlaceOfTheHint)
{
    answerWithPackages(brew.fake, {kShelf[0]});
    for (const QString& kind : {u"--cask"_s, u"--formula"_s})
        brew.fake.respond({u"search"_s, kind, u"zzz"_s},
            {.stderr = "Error: No formulae or casks found for \"zzz\".\n", .exitCode = 1});
    startStudio();
    showView();
    click(subTab(u"search"_s));
    typeInto(find<QLineEdit>(u"homebrewSearchField"_s), u"zzz"_s);
    model->performBrewSearch();
    ASSERT_TRUE(waitUntil([&] { return state().searchedBrewQuery == u"zzz"_s; }));
    settle();
    EXPECT_EQ(rows(), QStringList{});
    EXPECT_EQ(find<QLabel>(u"homebrewEmptyText"_s)->text(), u"No packages match 'zzz'."_s);
    saveScreenshot(*host->window, u"homebrew-search-nothing-en"_s);
    setLanguage(TruneLanguage::tr);
    EXPECT_EQ(find<QLabel>(u"homebrewEmptyText"_s)->text(), u"'zzz' ile eşleşen paket yok."_s);
    saveScreenshot(*host->window, u"homebrew-search-nothing-tr"_s);
}

// Only the button waits for a running search: Return in the field searches again, and the later
// search's results are the ones shown.
TEST_F(HomebrewManagerViewTest, ReturnDuringASearchSearchesAgainWhileTheButtonIsDisabled)
{
    answerWithPackages(brew.fake, {kShelf[0]});
    brew.fake.respond({u"search"_s, u"--cask"_s, u"jq"_s}, {.stdoutPieces = {"jqbx\n"}, .sleepBeforeExit = 1.5});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"jq"_s}, {.stdoutPieces = {"jq\n"}});
    startStudio();
    showView();
    click(subTab(u"search"_s));
    auto* field = find<QLineEdit>(u"homebrewSearchField"_s);
    auto* button = find<QAbstractButton>(u"homebrewSearchButton"_s);
    auto* spinner = find<QWidget>(u"homebrewSearchSpinner"_s);
    EXPECT_FALSE(spinner->isVisible());

    typeInto(field, u"jq"_s);
    press(field, Qt::Key_Return);
    ASSERT_TRUE(state().isSearchingBrew);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(spinner->isVisible());
    saveScreenshot(*host->window, u"homebrew-searching-en"_s);
    press(field, Qt::Key_Return);

    ASSERT_TRUE(waitUntil([&] { return commandRuns().size() == 4 && !state().isSearchingBrew; }));
    settle();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(spinner->isVisible());
    QStringList runs = argumentsOf(commandRuns());
    runs.sort();
    EXPECT_EQ(runs,
        (QStringList{
            u"search --cask jq"_s, u"search --cask jq"_s, u"search --formula jq"_s, u"search --formula jq"_s}));
    EXPECT_EQ(rows(), (QStringList{u"jqbx"_s, u"jq"_s}));
}

TEST_F(HomebrewManagerViewTest, ToolbarCommandsRunBrewAndDisableTheToolbarAndRowsMeanwhile)
{
    answerWithPackages(brew.fake, kShelf);
    // Each command runs until the test has looked at the toolbar and rows meanwhile.
    brew.fake.respond({u"update"_s}, {.stdoutPieces = {"Already up-to-date.\n"}, .gate = u"update"_s});
    brew.fake.respond({u"cleanup"_s, u"--prune=all"_s}, {.gate = u"cleanup"_s});
    startStudio();
    showView();
    auto* update = find<QAbstractButton>(u"homebrewUpdateButton"_s);
    auto* cleanup = find<QAbstractButton>(u"homebrewCleanupButton"_s);
    EXPECT_EQ(update->text(), u"brew update"_s);
    EXPECT_EQ(cleanup->text(), u"Cleanup Cache"_s);
    EXPECT_TRUE(update->toolTip().isEmpty());

    struct Run {
        QAbstractButton* button;
        QString arguments;
        QString gate;
    };
    for (const Run& run :
        {Run{update, u"update"_s, u"update"_s}, Run{cleanup, u"cleanup --prune=all"_s, u"cleanup"_s}}) {
        SCOPED_TRACE(qPrintable(run.arguments));
        const size_t before = commandRuns().size();
        click(run.button);
        ASSERT_TRUE(state().isBrewCommandRunning);
        EXPECT_FALSE(update->isEnabled());
        EXPECT_FALSE(cleanup->isEnabled());
        const auto upgrade = place(u"firefox"_s, RowButton::upgrade);
        ASSERT_TRUE(upgrade);
        EXPECT_FALSE(upgrade->enabled);
        if (run.button == update)
            saveScreenshot(*host->window, u"homebrew-running-en"_s);
        brew.fake.release(run.gate);
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_TRUE(update->isEnabled());
        EXPECT_TRUE(cleanup->isEnabled());
        EXPECT_TRUE(place(u"firefox"_s, RowButton::upgrade)->enabled);
        const std::vector<FakeBrew::Run> runs = commandRuns();
        ASSERT_EQ(runs.size(), before + 1);
        EXPECT_EQ(runs.back().arguments.join(u' '), run.arguments);
    }
}

TEST_F(HomebrewManagerViewTest, RowsSayWhatEachPackageIsAndOfferWhatFitsIt)
{
    answerWithPackages(brew.fake, {kShelf[0]});
    startStudio();
    showView();
    const auto& rowDelegate = *delegate();
    const QRect rowRect(0, 0, 1000, 54);
    const auto https = std::optional(u"https://example.com/tool"_s);

    struct Case {
        const char* what;
        HomebrewItem item;
        HomebrewPackageRowDelegate::RowTexts texts;
        std::vector<RowButton> buttons;
    };
    const std::vector<Case> cases{
        {"a cask whose full name differs from its token, outdated",
            HomebrewItemBuilder(u"visual-studio-code"_s)
                .cask()
                .fullName(u"Microsoft Visual Studio Code"_s)
                .installedVersion(u"1.90"_s)
                .latestVersion(u"1.95"_s)
                .outdated()
                .description(u"Code editor"_s)
                .build(),
            {u"Microsoft Visual Studio Code"_s, u"visual-studio-code"_s, u"Cask"_s, {}, u"Code editor"_s,
                {u"1.90"_s, u"1.95"_s}},
            {RowButton::upgrade, RowButton::uninstall}},
        {"outdated without an installed version",
            HomebrewItemBuilder(u"jq"_s).latestVersion(u"2.1"_s).outdated().homepage(https).build(),
            {u"jq"_s, {}, u"Formula"_s, {}, {}, {u"\u2014"_s, u"2.1"_s}},
            {RowButton::homePage, RowButton::upgrade, RowButton::uninstall}},
        {"current without an installed version shows the latest",
            HomebrewItemBuilder(u"tree"_s).latestVersion(u"2.1"_s).build(),
            {u"tree"_s, {}, u"Formula"_s, {}, {}, {u"2.1"_s}}, {RowButton::uninstall}},
        {"a dependency formula carries the tag",
            HomebrewItemBuilder(u"libidn2"_s)
                .installedVersion(u"2.3"_s)
                .latestVersion(u"2.3"_s)
                .installedOnRequest(false)
                .build(),
            {u"libidn2"_s, {}, u"Formula"_s, u"Dep"_s, {}, {u"2.3"_s}}, {RowButton::uninstall}},
        {"a search result offers Install only",
            HomebrewItemBuilder(u"gojq"_s).installed(false).installedOnRequest(false).latestVersion(u"0.12"_s).build(),
            {u"gojq"_s, {}, u"Formula"_s, {}, {}, {}}, {RowButton::install}},
        {"a local home page gives no button",
            HomebrewItemBuilder(u"odd"_s).cask().installed(false).homepage(u"file:///etc/passwd"_s).build(),
            {u"odd"_s, {}, u"Cask"_s, {}, {}, {}}, {RowButton::install}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto texts = rowDelegate.rowTexts(c.item);
        EXPECT_EQ(texts.fullName, c.texts.fullName);
        EXPECT_EQ(texts.secondaryName, c.texts.secondaryName);
        EXPECT_EQ(texts.kindTag, c.texts.kindTag);
        EXPECT_EQ(texts.dependencyTag, c.texts.dependencyTag);
        EXPECT_EQ(texts.description, c.texts.description);
        EXPECT_EQ(texts.version, c.texts.version);
        std::vector<RowButton> buttons;
        for (const auto& place : rowDelegate.buttonsOf(c.item, rowRect)) {
            buttons.push_back(place.button);
            EXPECT_TRUE(rowRect.contains(place.rect));
        }
        EXPECT_EQ(buttons, c.buttons);
    }

    setLanguage(TruneLanguage::tr);
    EXPECT_EQ(rowDelegate.rowTexts(cases[3].item).dependencyTag, u"Bağımlılık"_s);
}

TEST_F(HomebrewManagerViewTest, UpgradeRedrawsTheRowAsCurrentAndInstallAddsThePackage)
{
    answerWithPackages(brew.fake, {kShelf[0], kShelf[1]});
    brew.fake.respond({u"search"_s, u"--cask"_s, u"jq"_s}, {});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"jq"_s}, {.stdoutPieces = {"jq\n"}});
    startStudio();
    showView();
    ASSERT_EQ(rows(), (QStringList{u"firefox"_s, u"iterm2"_s}));

    clickRowButton(u"firefox"_s, RowButton::upgrade);
    ASSERT_TRUE(state().isBrewCommandRunning);
    EXPECT_TRUE(state().showBrewConsole);
    // The fake brew's next answers know the cask is current.
    answerWithPackages(
        brew.fake, {{.name = u"firefox"_s, .isCask = true, .installed = u"2.1"_s, .latest = u"2.1"_s}, kShelf[1]});
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(argumentsOf(commandRuns()), QStringList{u"upgrade --cask firefox"_s});
    EXPECT_FALSE(rowItem(u"firefox"_s)->isOutdated);
    EXPECT_EQ(buttonsOfRow(u"firefox"_s), std::vector{RowButton::uninstall});
    EXPECT_EQ(delegate()->rowTexts(*rowItem(u"firefox"_s)).version, QStringList{u"2.1"_s});

    click(subTab(u"search"_s));
    typeInto(find<QLineEdit>(u"homebrewSearchField"_s), u"jq"_s);
    click(find<QAbstractButton>(u"homebrewSearchButton"_s));
    ASSERT_TRUE(waitUntil([&] { return rows() == QStringList{u"jq"_s}; }));
    answerWithPackages(brew.fake,
        {{.name = u"firefox"_s, .isCask = true, .installed = u"2.1"_s, .latest = u"2.1"_s}, kShelf[1],
            {.name = u"jq"_s, .installed = u"1.7"_s, .latest = u"1.7"_s}});
    clickRowButton(u"jq"_s, RowButton::install);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(argumentsOf(commandRuns()).last(), u"install jq"_s);
    EXPECT_EQ(buttonsOfRow(u"jq"_s), std::vector{RowButton::uninstall}) << "the result is installed now";
    click(subTab(u"formulae"_s));
    EXPECT_EQ(rows(), QStringList{u"jq"_s});
    EXPECT_EQ(subTab(u"formulae"_s)->text(), u"Formulae (1)"_s);
}

TEST_F(HomebrewManagerViewTest, UninstallAsksFirstAndCancelRunsNothing)
{
    answerWithPackages(brew.fake, {kShelf[0], kShelf[1]});
    startStudio();
    showView();

    clickRowButton(u"iterm2"_s, RowButton::uninstall);
    QMessageBox* box = confirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), u"Uninstall iterm2 with Homebrew?"_s);
    EXPECT_EQ(box->text(), u"Uninstall iterm2 with Homebrew?"_s);
    EXPECT_EQ(box->informativeText(), u"Homebrew deletes iterm2 itself; it is not moved to the Trash."_s);
    auto* cancel = box->findChild<QPushButton*>(u"cancel"_s);
    auto* uninstall = box->findChild<QPushButton*>(u"uninstall"_s);
    ASSERT_TRUE(cancel && uninstall);
    EXPECT_EQ(cancel->text(), u"Cancel"_s);
    EXPECT_EQ(uninstall->text(), u"Uninstall"_s);
    EXPECT_EQ(box->defaultButton(), cancel);
    EXPECT_EQ(box->escapeButton(), cancel);
    saveScreenshot(*box, u"homebrew-uninstall-confirmation-en"_s);

    press(box, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return confirmation() == nullptr; }));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(commandRuns().size(), 0u);
    EXPECT_EQ(rows(), (QStringList{u"firefox"_s, u"iterm2"_s}));

    clickRowButton(u"iterm2"_s, RowButton::uninstall);
    ASSERT_NE(confirmation(), nullptr);
    press(confirmation(), Qt::Key_Return); // Return takes the default: Cancel
    ASSERT_TRUE(waitUntil([&] { return confirmation() == nullptr; }));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(commandRuns().size(), 0u);

    // From the keyboard: Delete on the current row asks the same question.
    list()->setFocus();
    list()->setCurrentIndex(packages()->index(1));
    press(list(), Qt::Key_Delete);
    ASSERT_NE(confirmation(), nullptr);
    press(confirmation(), Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return confirmation() == nullptr; }));

    setLanguage(TruneLanguage::tr);
    clickRowButton(u"iterm2"_s, RowButton::uninstall);
    box = confirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), u"iterm2 Homebrew ile kaldırılsın mı?"_s);
    EXPECT_EQ(box->informativeText(), u"Homebrew iterm2 paketini doğrudan siler; Çöp Sepetine taşınmaz."_s);
    EXPECT_EQ(box->findChild<QPushButton*>(u"cancel"_s)->text(), u"İptal"_s);
    EXPECT_EQ(box->findChild<QPushButton*>(u"uninstall"_s)->text(), u"Kaldır"_s);
    saveScreenshot(*box, u"homebrew-uninstall-confirmation-tr"_s);

    answerWithPackages(brew.fake, {kShelf[0]});
    click(box->findChild<QPushButton*>(u"uninstall"_s));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(argumentsOf(commandRuns()), QStringList{u"uninstall --cask iterm2"_s});
    EXPECT_EQ(rows(), QStringList{u"firefox"_s});
}

TEST_F(HomebrewManagerViewTest, OnlyAWebHomePageGetsAButtonAndItsTooltipIsEscaped)
{
    const QString page = u"https://example.com/tool?a=1&b='2'"_s;
    const auto cask = [](const QString& token, const QString& homepage) {
        return QJsonObject{{"token", token}, {"name", QJsonArray{token}}, {"version", "1.0"}, {"installed", "1.0"},
            {"outdated", false}, {"homepage", homepage}, {"desc", "A tool"}};
    };
    const QJsonObject info{{"formulae", QJsonArray{}},
        {"casks", QJsonArray{cask(u"webby"_s, page), cask(u"local"_s, u"file:///etc/hosts"_s)}}};
    brew.fake.respond(kInfoArguments, {.stdoutPieces = {QJsonDocument(info).toJson(QJsonDocument::Compact)}});
    brew.fake.respond(kOutdatedArguments, {.stdoutPieces = {R"({"formulae":[],"casks":[]})"}});
    startStudio();
    showView();
    ASSERT_EQ(rows(), (QStringList{u"local"_s, u"webby"_s}));
    EXPECT_EQ(buttonsOfRow(u"local"_s), std::vector{RowButton::uninstall});
    ASSERT_EQ(buttonsOfRow(u"webby"_s), (std::vector{RowButton::homePage, RowButton::uninstall}));

    const QPoint onHomePage = place(u"webby"_s, RowButton::homePage)->rect.center();
    QHelpEvent tip(QEvent::ToolTip, onHomePage, list()->viewport()->mapToGlobal(onHomePage));
    QCoreApplication::sendEvent(list()->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), page.toHtmlEscaped());
    const QPoint onTrash = place(u"webby"_s, RowButton::uninstall)->rect.center();
    QHelpEvent trashTip(QEvent::ToolTip, onTrash, list()->viewport()->mapToGlobal(onTrash));
    QCoreApplication::sendEvent(list()->viewport(), &trashTip);
    EXPECT_EQ(QToolTip::text(), u"Uninstall via Homebrew"_s);

    // The home page opens while a command runs, too.
    brew.fake.respond({u"update"_s}, {.gate = u"update"_s});
    model->runBrewUpdateMetadata();
    settle();
    ASSERT_TRUE(state().isBrewCommandRunning);
    clickRowButton(u"webby"_s, RowButton::homePage);
    ASSERT_TRUE(xdgOpen.waitForCalls(1));
    EXPECT_EQ(xdgOpen.calls(), std::vector<QStringList>{{QUrl(page).toString(QUrl::FullyEncoded)}});
    brew.fake.release(u"update"_s);
    ASSERT_TRUE(waitUntilIdle());
}

// A new user without Homebrew sees the card; once brew is there they search and install a
// formula, upgrade an outdated cask while watching the console, and uninstall after confirming.
TEST_F(HomebrewManagerViewTest, ANewUsersWalk)
{
    auto noBrew = std::make_optional<NoBrewAnywhere>();
    startStudio();
    showView();
    EXPECT_TRUE(find<QWidget>(u"homebrewMissingCard"_s)->isVisible());

    noBrew.reset();
    HomebrewService::overrideSearchBundle(TruneBundle({}, brew.fake.folder()));
    answerWithPackages(brew.fake, {kShelf[0]});
    brew.fake.respond({u"search"_s, u"--cask"_s, u"jq"_s}, {});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"jq"_s}, {.stdoutPieces = {"==> Formulae\njq\n"}});
    brew.fake.respond({u"install"_s, u"jq"_s}, {.stdoutPieces = {"==> Pouring jq\n"}});
    brew.fake.respond({u"upgrade"_s, u"--cask"_s, u"firefox"_s},
        {.stdoutPieces = {"==> Upgrading firefox\n", "==> Moving App 'Firefox.app'\n"}, .pauseAfterPiece = 0.5});
    ASSERT_TRUE(refreshed());
    ASSERT_TRUE(find<QWidget>(u"homebrewTab"_s)->isVisible());

    click(subTab(u"search"_s));
    typeInto(find<QLineEdit>(u"homebrewSearchField"_s), u"jq"_s);
    press(find<QLineEdit>(u"homebrewSearchField"_s), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return rows() == QStringList{u"jq"_s}; }));
    clickRowButton(u"jq"_s, RowButton::install);
    answerWithPackages(brew.fake, {kShelf[0], {.name = u"jq"_s, .installed = u"1.7"_s, .latest = u"1.7"_s}});
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(buttonsOfRow(u"jq"_s), std::vector{RowButton::uninstall});

    click(subTab(u"casks"_s));
    clickRowButton(u"firefox"_s, RowButton::upgrade);
    ASSERT_TRUE(waitUntil([&] { return state().brewConsoleLog.contains(u"Upgrading firefox"_s); }));
    EXPECT_TRUE(state().showBrewConsole);
    EXPECT_FALSE(place(u"firefox"_s, RowButton::upgrade)->enabled);
    answerWithPackages(brew.fake,
        {{.name = u"firefox"_s, .isCask = true, .installed = u"2.1"_s, .latest = u"2.1"_s},
            {.name = u"jq"_s, .installed = u"1.7"_s, .latest = u"1.7"_s}});
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(state().brewConsoleLog.contains(u"Moving App 'Firefox.app'"_s));
    EXPECT_EQ(buttonsOfRow(u"firefox"_s), std::vector{RowButton::uninstall});

    clickRowButton(u"firefox"_s, RowButton::uninstall);
    ASSERT_NE(confirmation(), nullptr);
    answerWithPackages(brew.fake, {{.name = u"jq"_s, .installed = u"1.7"_s, .latest = u"1.7"_s}});
    click(confirmation()->findChild<QPushButton*>(u"uninstall"_s));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(argumentsOf(commandRuns()),
        (QStringList{u"search --cask jq"_s, u"search --formula jq"_s, u"install jq"_s, u"upgrade --cask firefox"_s,
            u"uninstall --cask firefox"_s}));
    EXPECT_EQ(rows(), QStringList{});
    EXPECT_EQ(subTab(u"casks"_s)->text(), u"Casks (0)"_s);
    EXPECT_EQ(state().history.size(), 3u);
}

// The tab as it looks with a full shelf, for a person to compare with the design.
TEST_F(HomebrewManagerViewTest, Screenshots)
{
    answerWithPackages(brew.fake, kShelf);
    startStudio();
    showView();
    click(subTab(u"formulae"_s));
    auto* toggle = find<TruneGlassButton>(u"homebrewDependencyToggle"_s);
    click(toggle);
    saveScreenshot(*host->window, u"homebrew-formulae-en"_s);
    // The formulae with their dependencies shown, the toggle on.
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::formulae);
    EXPECT_TRUE(toggle->isVisible());
    EXPECT_TRUE(toggle->isActive());
    EXPECT_EQ(toggle->text(), u"Dependencies (+3)"_s);
    EXPECT_EQ(rows().size(), 5);

    setLanguage(TruneLanguage::tr);
    click(subTab(u"casks"_s));
    saveScreenshot(*host->window, u"homebrew-casks-tr"_s);
    // The casks in Turkish, without the formulae's toggle.
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::casks);
    EXPECT_EQ(subTab(u"casks"_s)->text(), u"Cask (2)"_s);
    EXPECT_FALSE(toggle->isVisible());
    EXPECT_EQ(rows(), (QStringList{u"firefox"_s, u"iterm2"_s}));
}
