#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QString>

#include <tuple>

// The live status of the Tunelo app: the track it plays. Every key is required; decoded values
// are kept as written.
struct TuneloLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    QString title;
    QString artist;
    QString album;
    QString qualityBadge;
    bool isPlaying = false;
    double elapsedSeconds = 0;  // not negative when built with make()
    double durationSeconds = 0; // not negative when built with make()
    double volume = 0;          // 0 to 1 when built with make()

    // As a publisher builds it: times at least 0 and volume into 0 to 1 (not a number gives 0).
    static TuneloLiveStatus make(TuneloLiveStatus fields);

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;
    // Elapsed over duration within 0 to 1; 0 without a positive duration.
    double progress() const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, title, artist, album, qualityBadge, isPlaying, elapsedSeconds,
            durationSeconds, volume);
    }
    friend bool operator==(const TuneloLiveStatus& a, const TuneloLiveStatus& b);
};

template <> struct TruneJsonCoding<TuneloLiveStatus> {
    static QJsonValue encode(const TuneloLiveStatus& status);
    static TruneJsonResult<TuneloLiveStatus> decode(const QJsonValue& json);
};
