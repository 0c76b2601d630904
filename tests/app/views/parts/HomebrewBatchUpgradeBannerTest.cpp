#include "app/views/parts/HomebrewBatchUpgradeBanner.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"
#include "tests/support/ViewTestHarness.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace {

using Look = HomebrewBatchUpgradeBanner::Look;

const QColor accent = accentColor(TruneProductPalette::deepEmerald);

FakePackage outdated(const QString& name, bool isCask, bool onRequest = true)
{
    return {.name = name,
        .isCask = isCask,
        .installed = u"1.0"_s,
        .latest = u"2.0"_s,
        .outdated = true,
        .onRequest = onRequest};
}

std::vector<FakePackage> packages(int casks, int formulae, int dependencies)
{
    std::vector<FakePackage> list;
    for (int i = 0; i < casks; ++i)
        list.push_back(outdated(u"cask-%1"_s.arg(i), true));
    for (int i = 0; i < formulae; ++i)
        list.push_back(outdated(u"formula-%1"_s.arg(i), false));
    for (int i = 0; i < dependencies; ++i)
        list.push_back(outdated(u"lib-%1"_s.arg(i), false, false));
    return list;
}

// The process group of the running fake brew script, found through /proc; 0 when none runs.
pid_t fakeBrewProcessGroup(const QString& scriptPath)
{
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        QFile cmdline(u"/proc/"_s + pid + u"/cmdline"_s);
        if (!pid.toInt() || !cmdline.open(QIODevice::ReadOnly) || !cmdline.readAll().contains(scriptPath.toUtf8()))
            continue;
        QFile stat(u"/proc/"_s + pid + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...: the fields after the command's closing parenthesis.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2)
            return static_cast<pid_t>(fields[2].toInt());
    }
    return 0;
}

bool processGroupExists(pid_t group)
{
    return ::kill(-group, 0) == 0;
}

class BannerTest : public BrewDeskTest {
protected:
    HomebrewBatchUpgradeBanner& show(UpdateStudioViewModel& model)
    {
        banner = new HomebrewBatchUpgradeBanner(model, accent);
        host = std::make_unique<ViewHost<HomebrewBatchUpgradeBanner>>(banner, ViewPlace::top);
        return *banner;
    }

    void answer(int casks, int formulae, int dependencies)
    {
        answerWithPackages(brew.fake, packages(casks, formulae, dependencies));
        ASSERT_TRUE(refreshAndWait(*model));
        settle();
    }

    template <typename Widget> Widget& part(const char* name)
    {
        return *findNamed<Widget>(*banner, QString::fromLatin1(name));
    }

    QString headline() { return part<TruneElidedLabel>("batchBannerHeadline").text(); }
    QString detail()
    {
        auto& label = part<TruneElidedLabel>("batchBannerDetail");
        return label.isVisibleTo(banner) ? label.text() : u"<hidden>"_s;
    }
    // The names of the buttons shown, in their order, with their texts.
    QStringList buttons()
    {
        QStringList shown;
        for (const char* name :
            {"batchBannerConsole", "batchBannerCancel", "batchBannerUpgrade", "batchBannerUpgradeDependencies"}) {
            auto& button = part<QAbstractButton>(name);
            if (button.isVisibleTo(banner))
                shown.append(button.text());
        }
        return shown;
    }

    // The banner's fill, sampled inside its frame where no element lies.
    QColor fill()
    {
        const QImage image = renderedAlone(*banner);
        return image.pixelColor(image.width() / 2 + 40, 3);
    }

    void setLanguage(TruneLanguage language)
    {
        model->setLanguage(language);
        settle();
    }

    HomebrewBatchUpgradeBanner* banner = nullptr;
    std::unique_ptr<ViewHost<HomebrewBatchUpgradeBanner>> host;
};

TEST_F(BannerTest, OffersWhatTheOutdatedListsCallFor)
{
    answerWithPackages(brew.fake, {});
    show(start());

    struct Case {
        int casks, formulae, dependencies;
        TruneLanguage language;
        Look look;
        QString headline;
        QString detail;
        QStringList buttons;
        QString screenshot = {};
    };
    const std::vector<Case> cases{
        {0, 0, 0, TruneLanguage::en, Look::none, {}, u"<hidden>"_s, {}},
        {1, 0, 0, TruneLanguage::en, Look::upgradeOffer, u"1 Homebrew package ready to upgrade"_s,
            u"1 cask · 0 formulae"_s, {u"Upgrade Packages (1)"_s}},
        {1, 0, 0, TruneLanguage::tr, Look::upgradeOffer, u"1 Homebrew paketi güncellenebilir"_s,
            u"1 cask · 0 formula"_s, {u"Paketleri Yükselt (1)"_s}},
        {2, 3, 4, TruneLanguage::en, Look::upgradeOffer, u"5 Homebrew packages ready to upgrade"_s,
            u"2 cask · 3 formulae · +4 dependencies"_s, {u"Upgrade Packages (5)"_s}, u"banner-upgrade-en"_s},
        {2, 3, 4, TruneLanguage::tr, Look::upgradeOffer, u"5 Homebrew paketi güncellenebilir"_s,
            u"2 cask · 3 formula · +4 alt bağımlılık"_s, {u"Paketleri Yükselt (5)"_s}, u"banner-upgrade-tr"_s},
        // One outdated dependency beside the packages: the count keeps its plural form, as the
        // banner writes it.
        {1, 2, 1, TruneLanguage::en, Look::upgradeOffer, u"3 Homebrew packages ready to upgrade"_s,
            u"1 cask · 2 formulae · +1 dependencies"_s, {u"Upgrade Packages (3)"_s}},
        {1, 2, 1, TruneLanguage::tr, Look::upgradeOffer, u"3 Homebrew paketi güncellenebilir"_s,
            u"1 cask · 2 formula · +1 alt bağımlılık"_s, {u"Paketleri Yükselt (3)"_s}},
        {0, 0, 1, TruneLanguage::en, Look::dependencyOffer,
            u"Your packages are up to date · 1 internal library dependency can be upgraded"_s, u"<hidden>"_s,
            {u"Upgrade Dependencies"_s}},
        {0, 0, 2, TruneLanguage::en, Look::dependencyOffer,
            u"Your packages are up to date · 2 internal library dependencies can be upgraded"_s, u"<hidden>"_s,
            {u"Upgrade Dependencies"_s}, u"banner-dependencies-en"_s},
        {0, 0, 1, TruneLanguage::tr, Look::dependencyOffer,
            u"Kurduğunuz paketler güncel · 1 alt bağımlılık kütüphanesi güncellenebilir"_s, u"<hidden>"_s,
            {u"Bağımlılıkları Yükselt"_s}},
        {0, 0, 2, TruneLanguage::tr, Look::dependencyOffer,
            u"Kurduğunuz paketler güncel · 2 alt bağımlılık kütüphanesi güncellenebilir"_s, u"<hidden>"_s,
            {u"Bağımlılıkları Yükselt"_s}, u"banner-dependencies-tr"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u"%1 cask, %2 formulae, %3 dependencies, %4"_s.arg(c.casks)
                         .arg(c.formulae)
                         .arg(c.dependencies)
                         .arg(c.language.rawValue())
                         .toStdString());
        answer(c.casks, c.formulae, c.dependencies);
        setLanguage(c.language);
        EXPECT_EQ(banner->look(), c.look);
        EXPECT_EQ(banner->isVisible(), c.look != Look::none);
        if (c.look == Look::none) {
            EXPECT_TRUE(banner->isHidden()) << "no space taken";
            continue;
        }
        EXPECT_EQ(headline(), c.headline);
        EXPECT_EQ(detail(), c.detail);
        EXPECT_EQ(buttons(), c.buttons);
        if (!c.screenshot.isEmpty())
            saveScreenshot(*host->window, c.screenshot);
    }
}

TEST_F(BannerTest, FillsTheFrameByLook)
{
    answerWithPackages(brew.fake, packages(1, 0, 0));
    UpdateStudioViewModel& model = start();
    show(model);
    model.setLanguage(TruneLanguage::en);
    QCoreApplication::processEvents();

    // Premultiplied pixels this faint keep only a few bits of each colour.
    const auto near = [](const QColor& shown, const QColor& expected) {
        return std::abs(shown.alphaF() - expected.alphaF()) < 0.02 && std::abs(shown.red() - expected.red()) <= 16
            && std::abs(shown.green() - expected.green()) <= 16 && std::abs(shown.blue() - expected.blue()) <= 16;
    };
    EXPECT_TRUE(near(fill(), truneWithOpacity(accent, 0.08))) << fill().name(QColor::HexArgb).toStdString();

    StudioTestAccess::publishBrewCommand(model, true, u"brew upgrade --cask firefox"_s);
    QCoreApplication::processEvents();
    EXPECT_EQ(banner->look(), Look::running) << "a running command comes before the offer";
    EXPECT_TRUE(near(fill(), truneWithOpacity(accent, 0.12))) << fill().name(QColor::HexArgb).toStdString();

    StudioTestAccess::publishBrewCommand(model, false, {});
    answer(0, 0, 1);
    EXPECT_TRUE(near(fill(), TruneGlassTokens::surface1())) << fill().name(QColor::HexArgb).toStdString();
}

TEST_F(BannerTest, BusyLooksShowTheStepOrCommandWithConsoleAndCancel)
{
    answerWithPackages(brew.fake, {});
    UpdateStudioViewModel& model = start();
    show(model);

    struct Case {
        TruneLanguage language;
        QString title;
        std::optional<BatchUpgradeProgress> progress;
        bool consoleOpen;
        Look look;
        QString headline;
        QString detail;
        QStringList buttons;
        QString screenshot = {};
    };
    const BatchUpgradeProgress step{.current = 2, .total = 5, .currentPackageName = u"wget"_s};
    const std::vector<Case> cases{
        {TruneLanguage::en, u"brew upgrade --cask firefox"_s, std::nullopt, false, Look::running,
            u"Running Homebrew update..."_s, u"brew upgrade --cask firefox"_s, {u"Console"_s, u"Cancel"_s},
            u"banner-running-en"_s},
        {TruneLanguage::tr, u"brew upgrade --cask firefox"_s, std::nullopt, false, Look::running,
            u"Homebrew güncellemesi çalışıyor..."_s, u"brew upgrade --cask firefox"_s, {u"Konsol"_s, u"İptal Et"_s},
            u"banner-running-tr"_s},
        {TruneLanguage::en, {}, std::nullopt, false, Look::running, u"Running Homebrew update..."_s, u"<hidden>"_s,
            {u"Console"_s, u"Cancel"_s}, u"banner-running-untitled-en"_s},
        {TruneLanguage::en, u"brew upgrade (5 outdated)"_s, step, false, Look::progress, u"Upgrading 2/5 · wget"_s,
            u"brew upgrade (5 outdated)"_s, {u"Console"_s, u"Cancel"_s}, u"banner-progress-en"_s},
        {TruneLanguage::tr, u"brew upgrade (5 outdated)"_s, step, false, Look::progress, u"Yükseltiliyor 2/5 · wget"_s,
            u"brew upgrade (5 outdated)"_s, {u"Konsol"_s, u"İptal Et"_s}, u"banner-progress-tr"_s},
        // The second line stays in the progress look even when empty.
        {TruneLanguage::en, {}, step, false, Look::progress, u"Upgrading 2/5 · wget"_s, QString(),
            {u"Console"_s, u"Cancel"_s}},
        // With the drawer open, only Cancel.
        {TruneLanguage::en, u"brew upgrade (5 outdated)"_s, step, true, Look::progress, u"Upgrading 2/5 · wget"_s,
            u"brew upgrade (5 outdated)"_s, {u"Cancel"_s}, u"banner-progress-console-open-en"_s},
        {TruneLanguage::en, u"brew cleanup"_s, std::nullopt, true, Look::running, u"Running Homebrew update..."_s,
            u"brew cleanup"_s, {u"Cancel"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headline.toStdString() + " / " + c.title.toStdString());
        model.setShowBrewConsole(c.consoleOpen);
        StudioTestAccess::publishBrewCommand(model, true, c.title, c.progress);
        setLanguage(c.language);
        EXPECT_EQ(banner->look(), c.look);
        EXPECT_TRUE(banner->isVisible());
        EXPECT_EQ(headline(), c.headline);
        EXPECT_EQ(detail(), c.detail);
        EXPECT_EQ(buttons(), c.buttons);
        for (QAbstractButton* button : banner->findChildren<QAbstractButton*>())
            EXPECT_TRUE(button->isEnabled()) << "no button of the banner is ever disabled";
        if (!c.screenshot.isEmpty())
            saveScreenshot(*host->window, c.screenshot);
    }

    // Console opens the drawer, which takes the button away.
    model.setShowBrewConsole(false);
    QCoreApplication::processEvents();
    QTest::mouseClick(&part<QAbstractButton>("batchBannerConsole"), Qt::LeftButton);
    EXPECT_TRUE(model.state().showBrewConsole);
    QCoreApplication::processEvents();
    EXPECT_EQ(buttons(), QStringList{u"Cancel"_s});

    // Once nothing runs and nothing is outdated, the banner is gone.
    StudioTestAccess::publishBrewCommand(model, false, {});
    QCoreApplication::processEvents();
    EXPECT_EQ(banner->look(), Look::none);
    EXPECT_FALSE(banner->isVisible());
}

TEST_F(BannerTest, UpgradeShowsTheProgressAndCancelEndsTheBrewProcess)
{
    answerWithPackages(brew.fake, {outdated(u"wget"_s, false)});
    // Long enough that only a cancellation ends it within the test.
    brew.fake.respond({u"upgrade"_s, u"wget"_s}, {.stdoutPieces = {"==> Upgrading wget\n"}, .sleepBeforeExit = 120});
    UpdateStudioViewModel& model = start();
    show(model);
    model.setLanguage(TruneLanguage::en);
    QCoreApplication::processEvents();
    ASSERT_EQ(banner->look(), Look::upgradeOffer);

    QTest::mouseClick(&part<QAbstractButton>("batchBannerUpgrade"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return banner->look() == Look::progress; }));
    EXPECT_EQ(headline(), u"Upgrading 1/1 · wget"_s);
    ASSERT_TRUE(waitForConsole(u"==> Upgrading wget\n"_s));
    pid_t group = 0;
    ASSERT_TRUE(waitUntil([&] { return (group = fakeBrewProcessGroup(brew.fake.executablePath())) > 0; }));

    QTest::mouseClick(&part<QAbstractButton>("batchBannerCancel"), Qt::LeftButton);
    EXPECT_TRUE(state().brewConsoleLog.contains(u"\n[TruneUpdate] Cancelling command...\n"_s));
    ASSERT_TRUE(waitUntil([&] { return !processGroupExists(group); })) << "the fake brew and its children are gone";
    ASSERT_TRUE(waitUntil([&] { return !state().isBrewCommandRunning; }));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_NE(banner->look(), Look::progress);
    EXPECT_NE(banner->look(), Look::running);
}

} // namespace
