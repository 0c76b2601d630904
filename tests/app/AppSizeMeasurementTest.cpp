#include "app/viewmodel/AppSizeMeasurement.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// A size measure that takes a little while and counts how many run at once.
class CountingMeasure final {
public:
    qint64 operator()(const QString& path)
    {
        const int now = ++m_running;
        int seen = m_mostAtOnce.load();
        while (now > seen && !m_mostAtOnce.compare_exchange_weak(seen, now)) { }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        ++m_calls;
        --m_running;
        return path.size();
    }

    int mostAtOnce() const { return m_mostAtOnce; }
    int running() const { return m_running; }
    int calls() const { return m_calls; }

private:
    std::atomic<int> m_running{0};
    std::atomic<int> m_mostAtOnce{0};
    std::atomic<int> m_calls{0};
};

std::vector<AppSizeTarget> targets(int count)
{
    std::vector<AppSizeTarget> list;
    for (int i = 0; i < count; ++i)
        list.push_back({.id = u"app-%1"_s.arg(i), .path = u"/Applications/App%1.app"_s.arg(i)});
    return list;
}

struct Outcome {
    std::vector<size_t> batchSizes;
    QSet<QString> ids;
    int mostAtOnce = 0;
};

Outcome measure(int count, BundleSizeBatchOptions options)
{
    QThreadPool pool;
    pool.setMaxThreadCount(16);
    CountingMeasure counting;
    Outcome outcome;
    measureBundleSizesInBatches(
        targets(count), options, [&](const QString& path) { return counting(path); },
        [&](std::vector<AppSizeMeasurement> batch) {
            outcome.batchSizes.push_back(batch.size());
            for (const AppSizeMeasurement& measured : batch) {
                EXPECT_EQ(measured.sizeBytes, u"/Applications/App%1.app"_s.arg(measured.id.mid(4)).size());
                outcome.ids.insert(measured.id);
            }
        },
        pool);
    outcome.mostAtOnce = counting.mostAtOnce();
    return outcome;
}

TEST(AppSizeMeasurementTest, SeventeenTargetsComeInBatchesOfEightEightAndOneSixAtATime)
{
    const Outcome outcome = measure(17, {.maxConcurrency = 6, .batchSize = 8});
    EXPECT_EQ(outcome.batchSizes, (std::vector<size_t>{8, 8, 1}));
    EXPECT_EQ(outcome.ids.size(), 17);
    EXPECT_LE(outcome.mostAtOnce, 6);
    EXPECT_GE(outcome.mostAtOnce, 2); // they do overlap
}

TEST(AppSizeMeasurementTest, LimitsBelowOneCountAsOne)
{
    for (const int limit : {0, -3}) {
        SCOPED_TRACE(limit);
        const Outcome outcome = measure(3, {.maxConcurrency = limit, .batchSize = limit});
        EXPECT_EQ(outcome.batchSizes, (std::vector<size_t>{1, 1, 1}));
        EXPECT_EQ(outcome.mostAtOnce, 1);
    }
    EXPECT_TRUE(measure(0, {}).batchSizes.empty());
}

TEST(AppSizeMeasurementTest, AStopHandsNothingMoreOverAndStartsNothingMore)
{
    QThreadPool pool;
    pool.setMaxThreadCount(6);
    CountingMeasure counting;
    std::stop_source stop;
    std::vector<size_t> batchSizes;
    measureBundleSizesInBatches(
        targets(40), {.maxConcurrency = 4, .batchSize = 8}, [&](const QString& path) { return counting(path); },
        [&](std::vector<AppSizeMeasurement> batch) {
            batchSizes.push_back(batch.size());
            stop.request_stop();
        },
        pool, stop.get_token());
    EXPECT_EQ(batchSizes, std::vector<size_t>{8});
    // At most the four running when the stop came were measured after the first batch.
    EXPECT_LE(counting.calls(), 8 + 4);
    EXPECT_EQ(counting.running(), 0); // nothing it started outlives the call
}

} // namespace
