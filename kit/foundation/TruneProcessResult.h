#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a finished tool run produced. A non-zero exit code is an ordinary result.
struct TruneProcessResult {
    // The exit status of a tool that exited. For a tool ended by a signal it is 128 plus the
    // signal's number, as a shell reports it, so it is never 0; `terminationSignal` tells the two
    // apart.
    int exitCode = 0;
    // Standard output: nothing, its last 32768 bytes, or all of it, as the run asked.
    QByteArray stdout = {};
    // Standard error: at most its last 32768 bytes.
    QByteArray stderr = {};
    // The signal that ended the tool; nullopt when it exited by itself.
    std::optional<int> terminationSignal = std::nullopt;

    // The bytes as UTF-8, each invalid sequence (also a character cut by the trimming) replaced
    // by U+FFFD.
    QString stdoutString() const;
    QString stderrString() const;

    // "Exited with status 2." or "Terminated by signal 9.", for a log or a message.
    QString terminationDescription(TruneLanguage language) const;

    bool operator==(const TruneProcessResult&) const = default;
};
