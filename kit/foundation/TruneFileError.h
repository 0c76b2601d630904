#pragma once

#include <QString>

// A failure of the file system as the operating system reported it: the path it concerned,
// the errno value and the system's English description of it. Carried to the caller unchanged,
// without a message of our own.
struct TruneFileError {
    QString path;
    int code = 0;    // errno
    QString message; // English, independent of the user's locale

    // The error for `errnoValue` at `path`.
    static TruneFileError fromErrno(const QString& path, int errnoValue);

    // "<message>: <path>"
    QString description() const;

    bool operator==(const TruneFileError&) const = default;
};
