#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class TruneAppLogger;

// What the studio's view model reaches outside itself. real() gives the user's own folders and
// the system's services; tests replace folders, the clock, the size measure, the logger or the
// feed time-out.
struct UpdateStudioEnvironment {
    QStringList searchDirectories;    // where installed apps are looked for
    QString libraryRoot;              // the Library folder leftovers are looked for in
    QString trashFolder;              // the folder that holds trashed items
    QString configFolder;             // settings and history
    TruneAppLogger* logger = nullptr; // not owned; outlives the view model
    std::function<QDateTime()> now;
    // The allocated size of a bundle; called on worker threads, several at once.
    std::function<qint64(const QString& path)> measureSize;
    QLocale locale; // orders names for the user
    std::function<bool(const QUrl&)> openUrl;
    // How long an update check waits for the next bytes of a feed.
    double feedTimeoutSeconds = 10;

    static UpdateStudioEnvironment real();
};
