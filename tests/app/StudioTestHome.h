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

#include "app/viewmodel/UpdateStudioViewModel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <functional>

// Runs the event loop until `condition` holds; false when it still does not after `timeoutMs`.
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 20000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The refresh that construction starts has run to its end.
inline bool waitForFirstRefresh(const UpdateStudioViewModel& model)
{
    return spinUntil([&] { return model.state().lastCheckDate && !model.state().isCheckingUpdates; });
}

// Nothing has been announced for `quietMs` (longer than the Applications watcher's debounce), so
// no late refresh is still on its way.
inline bool waitUntilQuiet(const UpdateStudioViewModel& model, int quietMs = 2500)
{
    QElapsedTimer sinceLastChange;
    sinceLastChange.start();
    const QMetaObject::Connection connection
        = QObject::connect(&model, &UpdateStudioViewModel::changed, [&] { sinceLastChange.restart(); });
    const bool quiet = spinUntil([&] { return sinceLastChange.hasExpired(quietMs); });
    QObject::disconnect(connection);
    return quiet;
}

// Asks for a refresh and waits until the series that covers it has ended.
inline bool refreshAndWait(UpdateStudioViewModel& model)
{
    bool done = false;
    model.refreshAllAndCheckUpdates([&] { done = true; });
    return spinUntil([&] { return done; });
}
