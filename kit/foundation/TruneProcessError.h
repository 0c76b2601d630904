#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

// The kit's error for command-line tool runs. The runner itself only reports `cancelled`;
// `binaryNotFound` and `nonZeroExit` serve callers that report a missing tool or a failed exit.
struct TruneProcessError {
    enum class Case { binaryNotFound, nonZeroExit, cancelled };

    Case errorCase = Case::cancelled;
    QString name;   // binaryNotFound: the tool's name
    int code = 0;   // nonZeroExit: the exit code
    QString stderr; // nonZeroExit: the tool's standard-error text

    static TruneProcessError binaryNotFound(const QString& name);
    static TruneProcessError nonZeroExit(int code, const QString& stderr);
    static TruneProcessError cancelled();

    // Never empty. For nonZeroExit: the trimmed standard-error text, or an English line naming the
    // exit code when the tool wrote nothing but blanks.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneProcessError&) const = default;
};
