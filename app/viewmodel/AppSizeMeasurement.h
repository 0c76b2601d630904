#pragma once

#include <QString>
#include <QThreadPool>

#include <functional>
#include <stop_token>
#include <vector>

// One bundle whose size is to be measured.
struct AppSizeTarget {
    QString id; // the app record's id
    QString path;

    bool operator==(const AppSizeTarget&) const = default;
};

// One measured bundle size.
struct AppSizeMeasurement {
    QString id;
    qint64 sizeBytes = 0;

    bool operator==(const AppSizeMeasurement&) const = default;
};

struct BundleSizeBatchOptions {
    int maxConcurrency = 6; // below 1 counts as 1
    int batchSize = 8;      // below 1 counts as 1
};

// Measures the targets on `pool`, at most maxConcurrency at a time, started in list order, and
// hands the results to `onBatch` in completion order, batchSize at a time (the rest at the end).
// Blocks until every measurement it started has ended, calling `onBatch` on the calling thread.
// Once `stop` is requested nothing more is started or handed over; results held back are
// dropped.
void measureBundleSizesInBatches(const std::vector<AppSizeTarget>& targets, const BundleSizeBatchOptions& options,
    const std::function<qint64(const QString& path)>& measure,
    const std::function<void(std::vector<AppSizeMeasurement>)>& onBatch, QThreadPool& pool, std::stop_token stop = {});
