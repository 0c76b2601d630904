#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "core/records/UpdateConfigStore.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <optional>
#include <vector>

// One package as the fake brew's `info` and `outdated` answers describe it.
struct FakePackage {
    QString name;
    bool isCask = false;
    QString installed = QStringLiteral("1.0");
    QString latest = QStringLiteral("1.0");
    bool outdated = false;
    bool onRequest = true; // formulae only: false for a dependency nobody asked for
    QString app = {};      // casks only: the .app bundle it installs
};

inline const QStringList kInfoArguments{
    QStringLiteral("info"), QStringLiteral("--json=v2"), QStringLiteral("--installed")};
inline const QStringList kOutdatedArguments{QStringLiteral("outdated"), QStringLiteral("--json=v2")};

// `brew info --json=v2 --installed` and `brew outdated --json=v2` for `packages`.
inline void answerWithPackages(FakeBrew& fake, const std::vector<FakePackage>& packages)
{
    QJsonArray formulae, casks, outdatedFormulae, outdatedCasks;
    for (const FakePackage& package : packages) {
        if (package.isCask) {
            QJsonObject cask{{"token", package.name}, {"name", QJsonArray{package.name}}, {"version", package.latest},
                {"installed", package.installed}, {"outdated", package.outdated}};
            if (!package.app.isEmpty())
                cask.insert(QStringLiteral("artifacts"), QJsonArray{QJsonObject{{"app", QJsonArray{package.app}}}});
            casks.append(cask);
        } else {
            formulae.append(QJsonObject{{"name", package.name}, {"full_name", package.name},
                {"versions", QJsonObject{{"stable", package.latest}}},
                {"installed",
                    QJsonArray{
                        QJsonObject{{"version", package.installed}, {"installed_on_request", package.onRequest}}}},
                {"outdated", package.outdated}});
        }
        if (package.outdated) {
            (package.isCask ? outdatedCasks : outdatedFormulae)
                .append(QJsonObject{{"name", package.name}, {"installed_versions", QJsonArray{package.installed}},
                    {"current_version", package.latest}});
        }
    }
    const auto json = [](const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); };
    fake.respond(kInfoArguments, {.stdoutPieces = {json({{"formulae", formulae}, {"casks", casks}})}});
    fake.respond(
        kOutdatedArguments, {.stdoutPieces = {json({{"formulae", outdatedFormulae}, {"casks", outdatedCasks}})}});
}

// A studio view model over a fake brew in a temporary home, for the Homebrew command desk and
// the app actions. The model is made by start(), after the test has set up brew and settings.
class BrewDeskTest : public ::testing::Test {
protected:
    void saveSettings(const std::function<void(TruneUpdateConfig&)>& change)
    {
        UpdateConfigStore store(home.configFolder(), 500);
        TruneUpdateConfig config = store.loadConfig();
        change(config);
        store.saveConfig(config);
    }

    UpdateStudioViewModel& start(std::optional<UpdateStudioEnvironment> environment = std::nullopt)
    {
        model = std::make_unique<UpdateStudioViewModel>(environment.value_or(home.environment()));
        toasts.follow(*model);
        EXPECT_TRUE(waitForFirstRefresh(*model));
        return *model;
    }

    const StudioState& state() const { return model->state(); }

    // The running command has ended and the refresh it started is over.
    bool waitUntilIdle()
    {
        return waitUntil([&] { return !state().isBrewCommandRunning; }) && refreshAndWait(*model);
    }

    bool waitForHistory(size_t count)
    {
        return waitUntil([&] { return state().history.size() == count; });
    }

    bool waitForConsole(const QString& text)
    {
        return waitUntil([&] { return state().brewConsoleLog.contains(text); });
    }

    // The arguments of every run that was not one of the refresh's two queries.
    std::vector<FakeBrew::Run> commandRuns() const
    {
        std::vector<FakeBrew::Run> runs;
        for (FakeBrew::Run& run : brew.fake.runs()) {
            if (run.arguments != kInfoArguments && run.arguments != kOutdatedArguments)
                runs.push_back(std::move(run));
        }
        return runs;
    }

    using Toast = ToastLog::Toast;
    std::optional<Toast> lastToast() const { return toasts.last(); }

    StudioTestHome home;
    InstalledFakeBrew brew;
    ToastLog toasts;
    std::unique_ptr<UpdateStudioViewModel> model;
};
