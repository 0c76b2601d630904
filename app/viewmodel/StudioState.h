#pragma once

#include "app/viewmodel/BatchUpgradeProgress.h"
#include "app/viewmodel/StudioNavigation.h"
#include "core/records/HomebrewItem.h"
#include "core/records/InstalledAppRecord.h"
#include "core/records/LeftoverFileItem.h"
#include "core/records/LeftoverSortOrder.h"
#include "core/records/TruneUpdateConfig.h"
#include "core/records/UninstallerAppSortOrder.h"
#include "core/records/UpdateLogEntry.h"
#include "kit/localization/TruneLanguage.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Everything the studio's views show, in one record. The defaults are the values the view model
// starts from before it asks the system (brew, settings, history, language, login item).
struct StudioState {
    UpdateStudioTab selectedTab = UpdateStudioTab::updates;
    AppFilterKind selectedFilter = AppFilterKind::all;
    QString appSearchQuery;
    HomebrewSubTab homebrewSubTab = HomebrewSubTab::casks;
    QString homebrewFilterQuery;
    bool showBrewDependencies = false;
    std::vector<InstalledAppRecord> installedApps;
    bool isScanningApps = false;
    bool isCheckingUpdates = false; // from the start of a refresh pass until its update checks end
    std::optional<QDateTime> lastCheckDate;
    std::optional<QString> brewExecutablePath; // none: Homebrew is not installed
    std::vector<HomebrewItem> homebrewItems;
    QString brewSearchQuery;
    std::vector<HomebrewItem> brewSearchResults;
    bool isSearchingBrew = false;
    bool isBrewCommandRunning = false;
    QString activeBrewCommandTitle;
    std::optional<BatchUpgradeProgress> batchUpgradeProgress;
    QString brewConsoleLog;
    // How many units of the console's output have left the front of brewConsoleLog (trims and
    // clears), so a view can follow the log by what left its front and what joined its end. It
    // changes only with brewConsoleLog, under that field.
    qint64 brewConsoleLogStart = 0;
    bool showBrewConsole = false;
    std::optional<InstalledAppRecord> uninstallerTargetApp;
    std::vector<LeftoverFileItem> leftoverItems;
    bool isScanningLeftovers = false;
    bool includeAppBundleInTrash = true;
    QString uninstallerSearchQuery;
    UninstallerAppSortOrder uninstallerSortOrder = UninstallerAppSortOrder::sizeDescending;
    LeftoverSortOrder leftoverSortOrder = LeftoverSortOrder::category;
    std::vector<TrashLeftoverAlert> trashAlerts; // newest first
    bool accessibilityGranted = false;
    bool screenRecordingGranted = false;
    TruneUpdateConfig config;
    std::vector<UpdateLogEntry> history; // newest first
    TruneLanguage language;
    bool launchAtLogin = false;
    bool globalHotkeyRegistered = false;
    bool isVersionLogsSheetPresented = false;
    std::optional<QString> toastMessage;
    bool toastIsError = false;
    bool isMovingToTrash = false; // a move of the uninstaller's selection runs
    // The query that brewSearchResults answer: none before the first search and after a blank one.
    std::optional<QString> searchedBrewQuery;
    // While a batch upgrade runs: the apps' ids in the order the apps list ranked them when it
    // began, which the list keeps until the batch ends.
    std::optional<QStringList> heldAppOrder;

    bool operator==(const StudioState&) const = default;
};

// One field of StudioState each, in the record's order.
enum class StudioField : quint64 {
    selectedTab = 1ull << 0,
    selectedFilter = 1ull << 1,
    appSearchQuery = 1ull << 2,
    homebrewSubTab = 1ull << 3,
    homebrewFilterQuery = 1ull << 4,
    showBrewDependencies = 1ull << 5,
    installedApps = 1ull << 6,
    isScanningApps = 1ull << 7,
    isCheckingUpdates = 1ull << 8,
    lastCheckDate = 1ull << 9,
    brewExecutablePath = 1ull << 10,
    homebrewItems = 1ull << 11,
    brewSearchQuery = 1ull << 12,
    brewSearchResults = 1ull << 13,
    isSearchingBrew = 1ull << 14,
    isBrewCommandRunning = 1ull << 15,
    activeBrewCommandTitle = 1ull << 16,
    batchUpgradeProgress = 1ull << 17,
    brewConsoleLog = 1ull << 18,
    showBrewConsole = 1ull << 19,
    uninstallerTargetApp = 1ull << 20,
    leftoverItems = 1ull << 21,
    isScanningLeftovers = 1ull << 22,
    includeAppBundleInTrash = 1ull << 23,
    uninstallerSearchQuery = 1ull << 24,
    uninstallerSortOrder = 1ull << 25,
    leftoverSortOrder = 1ull << 26,
    trashAlerts = 1ull << 27,
    accessibilityGranted = 1ull << 28,
    screenRecordingGranted = 1ull << 29,
    config = 1ull << 30,
    history = 1ull << 31,
    language = 1ull << 32,
    launchAtLogin = 1ull << 33,
    globalHotkeyRegistered = 1ull << 34,
    isVersionLogsSheetPresented = 1ull << 35,
    toastMessage = 1ull << 36,
    toastIsError = 1ull << 37,
    isMovingToTrash = 1ull << 38,
    searchedBrewQuery = 1ull << 39,
    heldAppOrder = 1ull << 40,
};

// A set of StudioFields. The record has more fields than Qt 6.4's QFlags holds bits (32), so
// this is a small flag set of its own over 64 bits.
class StudioFields final {
public:
    constexpr StudioFields() = default;
    constexpr StudioFields(StudioField field)
        : m_bits(static_cast<quint64>(field))
    {
    }

    constexpr bool testFlag(StudioField field) const { return (m_bits & static_cast<quint64>(field)) != 0; }
    constexpr bool testAnyFlags(StudioFields fields) const { return (m_bits & fields.m_bits) != 0; }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr quint64 toBits() const { return m_bits; }

    constexpr StudioFields& operator|=(StudioFields other)
    {
        m_bits |= other.m_bits;
        return *this;
    }
    friend constexpr StudioFields operator|(StudioFields left, StudioFields right) { return left |= right; }
    friend constexpr bool operator==(StudioFields, StudioFields) = default;

private:
    quint64 m_bits = 0;
};

constexpr StudioFields operator|(StudioField left, StudioField right)
{
    return StudioFields(left) | StudioFields(right);
}

Q_DECLARE_METATYPE(StudioFields)
