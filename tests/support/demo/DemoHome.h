#pragma once

#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

#include <QString>
#include <QStringList>

#include <memory>

// A throwaway home in which TruneUpdate has something to show on every screen: app bundles of
// every origin and architecture in ~/Applications (Sparkle apps whose appcasts are served on
// 127.0.0.1, some outdated, one answering slowly; Homebrew cask apps; an app of the maker; an
// App Store app), their leftovers in ~/Library, a stand-in Homebrew in ~/.linuxbrew/bin, a
// history and settings. One more app, with leftovers, is ready to be moved to the Trash while
// the program runs, so that the Trash banner appears.
//
// Like TempHome, it points this process's HOME and XDG folders at the home for its lifetime,
// so programs started meanwhile use it; applyToEnvironment() adds the rest. Everything is removed
// when the object goes.
class DemoHome final {
public:
    struct Options {
        // Plain bundles added to the sample apps ("Sample App 001" ...), for measurements over a
        // home of many apps.
        int fillerBundles = 0;
        // Seconds between the lines that the stand-in brew prints while it works.
        double brewLinePause = 0.35;
        // One feed answers only after six seconds, to show "Check Updates" at work; off for
        // measurements.
        bool slowFeed = true;
    };

    static constexpr auto lateTrashedAppName = "Snapframe";
    // The sample apps every demo home holds, filler bundles not counted.
    static int sampleAppCount();

    explicit DemoHome(const Options& options);
    DemoHome()
        : DemoHome(Options{})
    {
    }
    ~DemoHome();
    DemoHome(const DemoHome&) = delete;
    DemoHome& operator=(const DemoHome&) = delete;

    QString path() const { return m_home.path(); }
    QString applications() const;
    QString library() const;
    QString brewExecutable() const { return m_brew; }
    const LoopbackHttpServer& feeds() const { return *m_feeds; }
    // The names of the app bundles made, without ".app".
    const QStringList& appNames() const { return m_appNames; }

    // Puts the stand-in brew first on PATH and gives the session's programs a runtime folder of
    // the home, so a TruneUpdate started here does not meet one that runs for the real home.
    // Meant for a process that starts programs on the home and then ends: it is not undone.
    void applyToEnvironment() const;

    // Moves the app named lateTrashedAppName to the Trash, as a user would with a file manager;
    // false when it is gone already or the move failed.
    bool trashLateApp() const;

private:
    void makeSampleApps(bool slowFeed);
    void makeFillerApps(int count);
    void makeHistoryAndSettings() const;

    TempHome m_home;
    std::unique_ptr<LoopbackHttpServer> m_feeds;
    QString m_brew;
    QStringList m_appNames;
};
