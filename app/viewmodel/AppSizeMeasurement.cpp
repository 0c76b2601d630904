#include "app/viewmodel/AppSizeMeasurement.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace {

// The measurements in flight and those finished but not yet taken by the coordinator.
class MeasurementWindow final {
public:
    MeasurementWindow(QThreadPool& pool, const std::function<qint64(const QString&)>& measure)
        : m_pool(pool)
        , m_measure(measure)
    {
    }

    // Waits for every measurement still running: they refer to this window.
    ~MeasurementWindow()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_running == 0; });
    }

    void start(const AppSizeTarget& target)
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_running;
        }
        m_pool.start([this, target] {
            const qint64 size = m_measure(target.path);
            // Notified under the lock: once the lock is released the window may be gone.
            std::lock_guard lock(m_mutex);
            m_finished.push_back({.id = target.id, .sizeBytes = size});
            --m_running;
            m_changed.notify_all();
        });
    }

    // The next finished measurement, waiting for one; none once nothing is running or finished.
    std::optional<AppSizeMeasurement> takeNext()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_finished.empty() || m_running == 0; });
        if (m_finished.empty())
            return std::nullopt;
        AppSizeMeasurement next = std::move(m_finished.front());
        m_finished.pop_front();
        return next;
    }

private:
    QThreadPool& m_pool;
    const std::function<qint64(const QString&)>& m_measure;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<AppSizeMeasurement> m_finished;
    int m_running = 0;
};

} // namespace

void measureBundleSizesInBatches(const std::vector<AppSizeTarget>& targets, const BundleSizeBatchOptions& options,
    const std::function<qint64(const QString& path)>& measure,
    const std::function<void(std::vector<AppSizeMeasurement>)>& onBatch, QThreadPool& pool, std::stop_token stop)
{
    if (targets.empty())
        return;
    const size_t concurrency = static_cast<size_t>(std::max(1, options.maxConcurrency));
    const size_t batchSize = static_cast<size_t>(std::max(1, options.batchSize));

    MeasurementWindow window(pool, measure);
    size_t next = 0;
    for (; next < std::min(targets.size(), concurrency); ++next)
        window.start(targets[next]);

    std::vector<AppSizeMeasurement> batch;
    batch.reserve(batchSize);
    while (std::optional<AppSizeMeasurement> measured = window.takeNext()) {
        if (stop.stop_requested())
            return;
        batch.push_back(std::move(*measured));
        if (batch.size() == batchSize) {
            onBatch(std::exchange(batch, {}));
            batch.reserve(batchSize);
        }
        if (next < targets.size() && !stop.stop_requested())
            window.start(targets[next++]);
    }
    if (!batch.empty() && !stop.stop_requested())
        onBatch(std::move(batch));
}
