#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <tuple>

// The live status of the Vantor app (load, temperatures, fans, power). Temperatures, fan speed,
// power and drive health are absent when not measured; values are taken as they come.
struct VantorLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    double cpuTotalPercent = 0;
    double gpuTotalPercent = 0;
    double memoryUsedPercent = 0;
    qint64 swapUsedBytes = 0;
    std::optional<double> cpuTempCelsius;
    std::optional<double> gpuTempCelsius;
    std::optional<double> socTempCelsius;
    std::optional<qint64> fanMaxRPM;
    std::optional<double> systemWatts;
    qint64 healthScore = 0;
    QString thermalState;
    std::optional<qint64> nvmeHealthPercent;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;
    // The one temperature to show: processor, else system on chip, else graphics processor.
    std::optional<double> headlineTempCelsius() const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, cpuTotalPercent, gpuTotalPercent, memoryUsedPercent, swapUsedBytes,
            cpuTempCelsius, gpuTempCelsius, socTempCelsius, fanMaxRPM, systemWatts, healthScore, thermalState,
            nvmeHealthPercent);
    }
    friend bool operator==(const VantorLiveStatus& a, const VantorLiveStatus& b);
};

template <> struct TruneJsonCoding<VantorLiveStatus> {
    static QJsonValue encode(const VantorLiveStatus& status);
    static TruneJsonResult<VantorLiveStatus> decode(const QJsonValue& json);
};
