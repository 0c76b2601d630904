#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/shell/MainUpdateStudioView.h"
#include "app/views/shell/StudioHeaderBar.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

#include <chrono>
#include <memory>

// A studio over a real view model in a temporary home with a fake brew, its window 1240 x 780 as
// the program opens it; animations off so every state is painted at once.
class StudioShellTest : public ::testing::Test {
protected:
    static constexpr QSize windowSize{1240, 780};

    StudioShellTest() { TruneAnimations::setEnabled(false); }
    ~StudioShellTest() override
    {
        view.reset();
        model.reset();
        TruneAnimations::setEnabled(true);
    }

    static QByteArray homebrewFixture(const char* name)
    {
        QFile file(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/") + QString::fromUtf8(name));
        if (!file.open(QIODevice::ReadOnly))
            ADD_FAILURE() << "missing fixture " << name;
        return file.readAll();
    }

    // brew answers with the shared fixtures' installed and outdated packages (three casks and two
    // formulae outdated), and openssl@3, installed only as a dependency, outdated too.
    void answerWithOutdatedPackages()
    {
        brew.fake.respond({QStringLiteral("info"), QStringLiteral("--json=v2"), QStringLiteral("--installed")},
            {.stdoutPieces = {homebrewFixture("info-installed.json")}});
        QJsonObject outdated = QJsonDocument::fromJson(homebrewFixture("outdated.json")).object();
        QJsonArray formulae = outdated.value(QStringLiteral("formulae")).toArray();
        formulae.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("openssl@3")},
            {QStringLiteral("installed_versions"), QJsonArray{QStringLiteral("3.2.1")}},
            {QStringLiteral("current_version"), QStringLiteral("3.3.0")}, {QStringLiteral("pinned"), false},
            {QStringLiteral("pinned_version"), QJsonValue::Null}});
        outdated.insert(QStringLiteral("formulae"), formulae);
        brew.fake.respond({QStringLiteral("outdated"), QStringLiteral("--json=v2")},
            {.stdoutPieces = {QJsonDocument(outdated).toJson(QJsonDocument::Compact)}});
    }

    // An appcast offering `version` of an app.
    static QByteArray appcast(const QString& version)
    {
        return QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
            "<item><title>Version %1</title>"
            "<enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"%1\" "
            "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/octet-stream\"/>"
            "</item></channel></rss>\n")
            .arg(version)
            .toUtf8();
    }

    QString makeApp(const QString& name, const QString& bundleID, const std::optional<QString>& feed = std::nullopt)
    {
        QVariantMap info{{QStringLiteral("CFBundleIdentifier"), bundleID}, {QStringLiteral("CFBundleName"), name},
            {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0")},
            {QStringLiteral("CFBundleVersion"), QStringLiteral("1.0")}};
        if (feed)
            info.insert(QStringLiteral("SUFeedURL"), *feed);
        return BundleMaker::makeAppBundle(
            home.applications() + u'/' + name + QStringLiteral(".app"), {.info = info, .executableName = name});
    }

    // An app with three files in the Library that stay behind when it is trashed.
    QString makeAppWithLeftovers(const QString& name, const QString& bundleID)
    {
        const QString library = home.home.filePath(QStringLiteral("Library"));
        BundleMaker::writeFile(
            library + QStringLiteral("/Application Support/") + bundleID + QStringLiteral("/store.bin"),
            QByteArray(30000, 's'));
        BundleMaker::writeFile(
            library + QStringLiteral("/Caches/") + bundleID + QStringLiteral("/cache.db"), QByteArray(9000, 'c'));
        BundleMaker::writeFile(
            library + QStringLiteral("/Preferences/") + bundleID + QStringLiteral(".plist"), QByteArray(300, 'p'));
        return makeApp(name, bundleID);
    }

    // Saves the header as the window shows it, on the studio's ground.
    void saveHeaderScreenshot(const QString& name)
    {
        QLabel shot;
        shot.setPixmap(view->grab(view->header()->geometry()));
        shot.resize(view->header()->size());
        saveScreenshot(shot, name);
    }

    // The view model and its studio in a window of the program's size.
    void openStudio(bool waitForRefresh = true)
    {
        UpdateStudioEnvironment environment = home.environment();
        // Held still, so a toast stays for as long as the test looks at it.
        environment.now = [clock = clock] { return *clock; };
        model = std::make_unique<UpdateStudioViewModel>(environment);
        model->setLanguage(TruneLanguage::en);
        view = std::make_unique<MainUpdateStudioView>(*model, accentColor(TruneProductPalette::deepEmerald));
        view->resize(windowSize);
        view->show();
        if (waitForRefresh) {
            ASSERT_TRUE(waitForFirstRefresh(*model));
        }
    }

    // Moves the view model's clock on; a toast shown before ends at its timer's next look.
    void letTimePass(std::chrono::milliseconds span) { *clock = clock->addMSecs(span.count()); }

    StudioTestHome home;
    InstalledFakeBrew brew;
    std::shared_ptr<QDateTime> clock = std::make_shared<QDateTime>(QDateTime::currentDateTimeUtc());
    std::unique_ptr<UpdateStudioViewModel> model;
    std::unique_ptr<MainUpdateStudioView> view;
};
