#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>
#include <QtGlobal>

// The kit's error for command-line tool runs. The runner reports `cancelled`, `nulCharacter` and
// `outputTooLarge`; `binaryNotFound` and `nonZeroExit` serve callers that report a missing tool
// or a failed exit.
struct TruneProcessError {
    enum class Case { binaryNotFound, nonZeroExit, cancelled, nulCharacter, outputTooLarge };

    Case errorCase = Case::cancelled;
    QString name;     // binaryNotFound, nulCharacter, outputTooLarge: the tool's name
    int code = 0;     // nonZeroExit: the exit code
    QString stderr;   // nonZeroExit: the tool's standard-error text
    qint64 limit = 0; // outputTooLarge: the most bytes of standard output the run would keep

    static TruneProcessError binaryNotFound(const QString& name);
    static TruneProcessError nonZeroExit(int code, const QString& stderr);
    static TruneProcessError cancelled();
    // An argument, environment entry or path held a NUL character, which would cut it short.
    static TruneProcessError nulCharacter(const QString& name);
    // The tool printed more than the run keeps; it was stopped.
    static TruneProcessError outputTooLarge(const QString& name, qint64 limit);

    // Never empty. For nonZeroExit: the trimmed standard-error text, or an English line naming the
    // exit code when the tool wrote nothing but blanks.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneProcessError&) const = default;
};
