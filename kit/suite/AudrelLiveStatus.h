#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QString>

#include <tuple>
#include <vector>

// One application's channel in the Audrel mixer. Every key is required.
struct AudrelAudioAppItem {
    QString id;
    QString bundleID;
    QString appName;
    bool isPlayingAudio = false;
    bool isMuted = false;
    double volume = 0;  // 0 to 2 when built with make()
    float rmsLevel = 0; // not negative when built with make()

    // As a publisher builds it: volume into 0 to 2 (not a number gives 2), level at least 0.
    static AudrelAudioAppItem make(AudrelAudioAppItem fields);

    auto fields() const { return std::tie(id, bundleID, appName, isPlayingAudio, isMuted, volume, rmsLevel); }
    friend bool operator==(const AudrelAudioAppItem& a, const AudrelAudioAppItem& b);
};

// The live status of the Audrel app: the master volume, the output device and one channel per
// application, in the publisher's order. Every key is required; decoded values are kept as written.
struct AudrelLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    double masterVolume = 0; // 0 to 1 when built with make()
    QString outputDeviceName;
    std::vector<AudrelAudioAppItem> channels;

    // As a publisher builds it: master volume into 0 to 1 (not a number gives 1).
    static AudrelLiveStatus make(AudrelLiveStatus fields);

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;
    // Channels playing and not muted.
    qint64 activePlayingCount() const;
    // Muted channels, playing or not.
    qint64 mutedCount() const;

    auto fields() const { return std::tie(timestamp, senderPID, masterVolume, outputDeviceName, channels); }
    friend bool operator==(const AudrelLiveStatus& a, const AudrelLiveStatus& b);
};

template <> struct TruneJsonCoding<AudrelAudioAppItem> {
    static QJsonValue encode(const AudrelAudioAppItem& item);
    static TruneJsonResult<AudrelAudioAppItem> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<AudrelLiveStatus> {
    static QJsonValue encode(const AudrelLiveStatus& status);
    static TruneJsonResult<AudrelLiveStatus> decode(const QJsonValue& json);
};
