#pragma once

#include "app/viewmodel/StudioDerived.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/ui/TruneAnimations.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ViewTestHarness.h"

#include <atomic>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

// EXPECT_EQ and EXPECT_TRUE once the condition holds, or after 10 s of running the event loop:
// the views follow the view model one event-loop turn later.
#define EXPECT_EVENTUALLY_EQ(actual, expected)                                                                         \
    EXPECT_EQ((waitUntil([&] { return (actual) == (expected); }), (actual)), expected)
#define EXPECT_EVENTUALLY_TRUE(condition) EXPECT_TRUE(waitUntil([&] { return bool(condition); }))

// A home with one app of every kind the Apps tab and the popover show, over a fake brew, loopback
// update feeds and a fake `xdg-open`:
//   Feedy     net.feedy           1.0 → 2.0 by its feed (a download link): "Download"
//   Firefox   org.mozilla.firefox 124.0.2 → 125.0.3 as an outdated cask: "Update"
//   Noisy     com.example.noisy   1.0 → 3.0 by its feed, but ignored; Intel only
//   Nameless  no bundle identifier, no version, never measured
//   Arm Native, Store App (App Store, universal), and a bundle named "<b>x</b>"
// Every measured bundle is 1.34 MB; sizes wait while `holdSizes` is set.
class AppsTabTest : public BrewDeskTest {
protected:
    static constexpr qint64 bundleSize = 1'340'000;

    AppsTabTest() { TruneAnimations::setEnabled(false); }
    ~AppsTabTest() override
    {
        holdSizes->store(false);
        TruneAnimations::setEnabled(true);
    }

    static QByteArray appcast(const QString& version)
    {
        return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
               "<item><title>Version %1</title>"
               "<sparkle:releaseNotesLink>https://notes.example/%1.html</sparkle:releaseNotesLink>"
               "<enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"%1\" "
               "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/octet-stream\"/>"
               "</item></channel></rss>\n"_s.arg(version)
                   .toUtf8();
    }

    struct Bundle {
        QString folderName;
        QVariantMap info;
        QByteArray executable = BundleMaker::thinMachO(BundleMaker::kCpuTypeArm64);
        bool appStoreReceipt = false;
    };

    static QVariantMap infoOf(const QString& name, const QString& bundleID, const QString& version,
        const std::optional<QString>& feed = std::nullopt)
    {
        QVariantMap info{
            {u"CFBundleName"_s, name}, {u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleShortVersionString"_s, version}};
        if (feed)
            info.insert(u"SUFeedURL"_s, *feed);
        return info;
    }

    void makeBundle(const Bundle& bundle)
    {
        BundleMaker::makeAppBundle(home.applications() + u"/"_s + bundle.folderName + u".app"_s,
            {.info = bundle.info,
                .executableName = u"main"_s,
                .executable = bundle.executable,
                .appStoreReceipt = bundle.appStoreReceipt});
    }

    void makeFixtureHome()
    {
        server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s)));
        server.setResponse(u"/noisy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"3.0"_s)));
        makeBundle({u"Feedy"_s, infoOf(u"Feedy"_s, u"net.feedy"_s, u"1.0"_s, server.url(u"/feedy.xml"_s))});
        makeBundle({u"Firefox"_s, infoOf(u"Firefox"_s, u"org.mozilla.firefox"_s, u"124.0.2"_s)});
        makeBundle({u"Noisy"_s, infoOf(u"Noisy"_s, u"com.example.noisy"_s, u"1.0"_s, server.url(u"/noisy.xml"_s)),
            BundleMaker::thinMachO(BundleMaker::kCpuTypeX86_64)});
        makeBundle({u"Nameless"_s, QVariantMap{{u"CFBundleName"_s, u"Nameless"_s}}});
        makeBundle({u"Arm Native"_s, infoOf(u"Arm Native"_s, u"com.example.armnative"_s, u"1.0"_s)});
        makeBundle({u"Store App"_s, infoOf(u"Store App"_s, u"com.example.store"_s, u"2.2"_s),
            BundleMaker::fatMachO({BundleMaker::kCpuTypeX86_64, BundleMaker::kCpuTypeArm64}), true});
        makeBundle({u"Bold"_s, infoOf(u"<b>x</b>"_s, u"com.example.bold"_s, u"1.0"_s)});
        answerWithPackages(brew.fake,
            {{.name = u"firefox"_s,
                .isCask = true,
                .installed = u"124.0.2"_s,
                .latest = u"125.0.3"_s,
                .outdated = true,
                .app = u"Firefox.app"_s}});
        saveSettings([](TruneUpdateConfig& config) { config.ignoredBundleIDs = {u"com.example.noisy"_s}; });
    }

    UpdateStudioEnvironment fixtureEnvironment()
    {
        UpdateStudioEnvironment environment = home.environment();
        environment.openUrl = [](const QUrl& url) { return TruneDesktopServices::openUrl(url); };
        environment.measureSize = [hold = holdSizes](const QString& path) -> qint64 {
            while (hold->load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return path.endsWith(u"/Nameless.app"_s) ? 0 : bundleSize;
        };
        return environment;
    }

    UpdateStudioViewModel& startStudio(TruneLanguage language = TruneLanguage::en)
    {
        makeFixtureHome();
        UpdateStudioViewModel& started = start(fixtureEnvironment());
        started.setLanguage(language);
        return started;
    }

    // The sizes of every measured bundle have come in.
    bool waitForSizes()
    {
        return waitUntil([&] { return StudioDerived::totalAppsDiskBytes(state().installedApps) == 6 * bundleSize; });
    }

    const InstalledAppRecord& appNamed(const QString& name) const
    {
        for (const InstalledAppRecord& app : state().installedApps) {
            if (app.name == name)
                return app;
        }
        ADD_FAILURE() << "no app named " << name.toStdString();
        return state().installedApps.front();
    }

    static QString languageTag(TruneLanguage language) { return language == TruneLanguage::tr ? u"tr"_s : u"en"_s; }

    FakeXdgOpen xdgOpen;
    LoopbackHttpServer server;
    std::shared_ptr<std::atomic<bool>> holdSizes = std::make_shared<std::atomic<bool>>(false);
};
