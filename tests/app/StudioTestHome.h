#pragma once

#include "app/viewmodel/UpdateStudioEnvironment.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/records/UpdateConfigStore.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringList>

#include <vector>

// A temporary home for one view model: its Applications folder, Library, Trash, settings folder
// and a runtime log of its own that the test reads back.
class StudioTestHome final {
public:
    QString applications() const { return home.filePath(QStringLiteral("Applications")); }
    QString configFolder() const { return UpdateConfigStore::defaultDirectoryURL(); }

    UpdateStudioEnvironment environment()
    {
        return {
            .searchDirectories = {applications()},
            .libraryRoot = home.filePath(QStringLiteral("Library")),
            .trashFolder = TruneTrash::filesDirectory(),
            .configFolder = configFolder(),
            .logger = &logger,
            .now = [] { return QDateTime::currentDateTimeUtc(); },
            .measureSize = [](const QString& path) { return FastDirectorySizeReader::allocatedSize(path, true); },
            .locale = QLocale(QLocale::English, QLocale::UnitedStates),
            .openUrl = [](const QUrl&) { return false; },
        };
    }

    // The messages logged at `level` in `category`, oldest first.
    QStringList logMessages(TruneLogLevel level, const QString& category)
    {
        QStringList messages;
        for (const TruneLogEntry& entry : logger.recentEntries(1000, TruneLogLevel::debug)) {
            if (entry.level == level && entry.category == category)
                messages.prepend(entry.message);
        }
        return messages;
    }

    TempHome home;
    TruneAppLogger logger{QStringLiteral("TruneUpdate"), home.filePath(QStringLiteral("logs")), 2 * 1024 * 1024, 5, {}};
};

#include "app/viewmodel/StudioThreadPools.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "tests/support/TestWaits.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <algorithm>
#include <functional>

// Every piece of work the view models have handed to their worker pools has ended and its result
// has been taken in (and announced, and followed by the views): the way to see that something did
// not happen, without waiting for time to pass.
inline bool waitForStudioWork()
{
    const QList<QThreadPool*> pools{&StudioThreadPools::refresh(), &StudioThreadPools::sizes(),
        &StudioThreadPools::homebrew(), &StudioThreadPools::files(), &StudioThreadPools::records(),
        &StudioThreadPools::views()};
    const auto idle = [&] {
        return std::all_of(pools.begin(), pools.end(), [](QThreadPool* pool) { return pool->waitForDone(0); });
    };
    // Work that ended has posted its result; what taking the results in starts is waited for too.
    return waitUntil([&] {
        if (!idle())
            return false;
        settle();
        return idle();
    });
}

// The refresh that construction starts has run to its end.
inline bool waitForFirstRefresh(const UpdateStudioViewModel& model)
{
    return waitUntil([&] { return model.state().lastCheckDate && !model.state().isCheckingUpdates; });
}

// Asks for a refresh and waits until the series that covers it has ended.
inline bool refreshAndWait(UpdateStudioViewModel& model)
{
    bool done = false;
    model.refreshAllAndCheckUpdates([&] { done = true; });
    return waitUntil([&] { return done; });
}
