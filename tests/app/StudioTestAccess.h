#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"

// Lets tests stand in for what the view model learns from outside.
struct StudioTestAccess {
    // Stands in for the Homebrew operations, which set and announce the running flag while a
    // command runs.
    static void setBrewCommandRunning(UpdateStudioViewModel& model, bool running)
    {
        model.assign(StudioField::isBrewCommandRunning, &StudioState::isBrewCommandRunning, running);
    }

    // Publishes the state a running command (or batch step) gives, as the operations do, so views
    // see it announced.
    static void publishBrewCommand(UpdateStudioViewModel& model, bool running, const QString& title,
        std::optional<BatchUpgradeProgress> progress = std::nullopt)
    {
        model.assign(StudioField::isBrewCommandRunning, &StudioState::isBrewCommandRunning, running);
        model.assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle, title);
        model.assign(StudioField::batchUpgradeProgress, &StudioState::batchUpgradeProgress, std::move(progress));
    }

    // Stands in for a scan of the Applications folder that found `apps`.
    static void publishInstalledApps(UpdateStudioViewModel& model, std::vector<InstalledAppRecord> apps)
    {
        model.assign(StudioField::installedApps, &StudioState::installedApps, std::move(apps));
    }

    // Stands in for a refresh that found brew at `brewPath` with `items` installed.
    static void publishHomebrewItems(UpdateStudioViewModel& model, std::vector<HomebrewItem> items,
        const QString& brewPath = QStringLiteral("/opt/homebrew/bin/brew"))
    {
        model.assign(StudioField::brewExecutablePath, &StudioState::brewExecutablePath, std::optional(brewPath));
        model.assign(StudioField::homebrewItems, &StudioState::homebrewItems, std::move(items));
    }

    static void publishConsoleLog(UpdateStudioViewModel& model, const QString& log)
    {
        model.assign(StudioField::brewConsoleLog, &StudioState::brewConsoleLog, log);
    }

    // Stands in for the Applications watcher reporting a change that has settled.
    static void reportApplicationsChanged(UpdateStudioViewModel& model) { model.handleApplicationsChanged(); }

    // Stands in for an operation that ends by writing its entry into the history.
    static void recordHistory(UpdateStudioViewModel& model, UpdateLogEntry entry)
    {
        model.recordHistory(std::move(entry));
    }

    // Stands in for a desktop that took (or refused) the studio's global hot key.
    static void setGlobalHotkeyRegistered(UpdateStudioViewModel& model, bool registered)
    {
        model.assign(StudioField::globalHotkeyRegistered, &StudioState::globalHotkeyRegistered, registered);
    }
};
