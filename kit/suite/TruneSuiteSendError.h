#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/suite/TruneSuiteApp.h"

#include <QString>

// Why a suite command did not reach its target.
struct TruneSuiteSendError {
    enum class Kind {
        invalidTargetPID,  // the command named process 0, 1 or a negative one
        notInstalled,      // the target neither runs nor (when it may be started) is installed
        couldNotWrite,     // the commands folder or the target's slot could not be written
        noNotificationBus, // the command waits in its slot, but the running target could not be rung
        couldNotLaunch,    // the command waits in its slot, but the installed target did not start
    };

    Kind kind = Kind::notInstalled;
    TruneSuiteApp target = TruneSuiteApp::lumbra;

    // One sentence naming the target, for a toast.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneSuiteSendError&) const = default;
};
