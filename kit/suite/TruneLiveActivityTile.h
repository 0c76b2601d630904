#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"
#include "kit/suite/TruneSuiteApp.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <tuple>

enum class TruneLiveActivityTone : quint8 { neutral, active, success, warning, danger };

template <> struct TruneRawValues<TruneLiveActivityTone> {
    static constexpr std::array cases{
        TruneRawCase{TruneLiveActivityTone::neutral, "neutral"},
        TruneRawCase{TruneLiveActivityTone::active, "active"},
        TruneRawCase{TruneLiveActivityTone::success, "success"},
        TruneRawCase{TruneLiveActivityTone::warning, "warning"},
        TruneRawCase{TruneLiveActivityTone::danger, "danger"},
    };
};

// A short, display-ready summary any sibling app publishes about itself, one per app. How a
// tile is drawn is the reader's. Required keys: all but "secondaryMetric" and "progress".
struct TruneLiveActivityTile {
    using Tone = TruneLiveActivityTone;

    TruneSuiteApp app = TruneSuiteApp::haltrix;
    QDateTime timestamp;
    qint32 senderPID = 0;
    QString titleEN;
    QString titleTR;
    QString primaryMetric;
    std::optional<QString> secondaryMetric;
    std::optional<double> progress; // 0 to 1 when built with make(); kept as written when decoded
    QString symbolName;
    Tone tone = Tone::neutral;
    qint64 priority = 0; // higher comes first

    // What a publisher gives make(): the tile's fields, with the symbol optional.
    struct Arguments {
        TruneSuiteApp app = TruneSuiteApp::haltrix;
        QDateTime timestamp;
        qint32 senderPID = 0;
        QString titleEN;
        QString titleTR;
        QString primaryMetric;
        std::optional<QString> secondaryMetric;
        std::optional<double> progress;
        std::optional<QString> symbolName; // absent: the app's catalogue symbol
        Tone tone = Tone::neutral;
        qint64 priority = 0;
    };
    // Progress into 0 to 1 (not a number gives 0), the catalogue symbol when none is given.
    static TruneLiveActivityTile make(const Arguments& arguments);

    // The app's raw value: one tile per app.
    QString id() const;
    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    auto fields() const
    {
        return std::tie(app, timestamp, senderPID, titleEN, titleTR, primaryMetric, secondaryMetric, progress,
            symbolName, tone, priority);
    }
    friend bool operator==(const TruneLiveActivityTile& a, const TruneLiveActivityTile& b);
};

template <> struct TruneJsonCoding<TruneLiveActivityTile> {
    static QJsonValue encode(const TruneLiveActivityTile& tile);
    static TruneJsonResult<TruneLiveActivityTile> decode(const QJsonValue& json);
};
