#pragma once

#include <QByteArray>
#include <QString>

// What a finished tool run produced. A non-zero exit code is an ordinary result.
struct TruneProcessResult {
    // The exit status of a tool that exited, or the number of the signal that ended it.
    int exitCode = 0;
    // Standard output: all of it when the run asked for full capture, else its last 32768 bytes.
    QByteArray stdout;
    // Standard error: at most its last 32768 bytes.
    QByteArray stderr;

    // The bytes as UTF-8, each invalid sequence (also a character cut by the trimming) replaced
    // by U+FFFD.
    QString stdoutString() const;
    QString stderrString() const;

    bool operator==(const TruneProcessResult&) const = default;
};
