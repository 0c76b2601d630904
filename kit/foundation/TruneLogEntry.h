#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"

#include <QByteArray>
#include <QString>

// Severity of a runtime log line, ordered debug < info < warn < error.
enum class TruneLogLevel { debug, info, warn, error };

template <> struct TruneRawValues<TruneLogLevel> {
    static constexpr std::array cases{
        TruneRawCase{TruneLogLevel::debug, "debug"},
        TruneRawCase{TruneLogLevel::info, "info"},
        TruneRawCase{TruneLogLevel::warn, "warn"},
        TruneRawCase{TruneLogLevel::error, "error"},
    };
};

// The raw value upper-cased: "DEBUG", "INFO", "WARN", "ERROR".
QString label(TruneLogLevel level);

// One line of the runtime log.
struct TruneLogEntry {
    QString id;        // random UUID, upper-case hyphenated
    QString timestamp; // UTC, milliseconds, "Z": 2025-03-01T08:30:00.123Z
    TruneLogLevel level = TruneLogLevel::debug;
    QString category;
    QString message;
    QString version;
    QString build;

    // The entry as it is stored in the log file, without the closing line feed: a compact object
    // with its keys in byte order, "/" escaped as "\/", text outside ASCII as raw UTF-8.
    QByteArray jsonLine() const;

    bool operator==(const TruneLogEntry&) const = default;
};

// All seven keys are required and must be text (the level one of its four raw values).
template <> struct TruneJsonCoding<TruneLogEntry> {
    static QJsonValue encode(const TruneLogEntry& entry);
    static TruneJsonResult<TruneLogEntry> decode(const QJsonValue& json);
};
