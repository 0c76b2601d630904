#include "kit/platform/TruneFolderWatcher.h"

#include <QFile>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>

namespace {

using Clock = std::chrono::steady_clock;

// Changes to the folder's own entries and direct children, and the folder itself going away.
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB
    | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// No check is pending. An interval of "practically forever" saturates to the same point, which
// behaves alike: nothing settles until the next event.
constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

// Saturates instead of overflowing, so an interval of "practically forever" stays valid.
Clock::time_point deadlineAfter(Clock::time_point now, std::chrono::nanoseconds interval)
{
    if (interval >= Clock::time_point::max() - now)
        return Clock::time_point::max();
    return now + std::chrono::duration_cast<Clock::duration>(interval);
}

// Milliseconds for poll(): rounded up so the deadline has passed on wake-up; -1 waits for an event.
int pollTimeout(Clock::time_point deadline)
{
    if (deadline == kNoDeadline)
        return -1;
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(remaining)>(remaining, 0, INT_MAX));
}

void closeIfOpen(int descriptor)
{
    if (descriptor >= 0)
        ::close(descriptor);
}

} // namespace

// What the watcher's thread uses. Shared between the watcher and its thread, so a thread left to
// finish on its own (stop() called from the callback) never outlives the descriptors it polls.
struct TruneFolderWatcher::Channel {
    Channel(std::chrono::nanoseconds interval, std::function<void()> callback)
        : debounceInterval(std::max(interval, std::chrono::nanoseconds::zero()))
        , onSettled(std::move(callback))
    {
    }
    ~Channel()
    {
        closeIfOpen(inotifyDescriptor);
        closeIfOpen(wakeDescriptor);
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void requestStop()
    {
        stopRequested.store(true);
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeDescriptor, &one, sizeof one);
    }

    // Reads every queued event; true when there was at least one. Which event it was does not
    // matter: any change restarts the quiet period.
    bool drainEvents() const
    {
        alignas(inotify_event) char buffer[4096];
        bool sawEvent = false;
        for (;;) {
            const ssize_t count = ::read(inotifyDescriptor, buffer, sizeof buffer);
            if (count > 0)
                sawEvent = true;
            else if (count < 0 && errno == EINTR)
                continue;
            else
                return sawEvent;
        }
    }

    void run()
    {
        Clock::time_point deadline = kNoDeadline;
        while (!stopRequested.load()) {
            pollfd descriptors[] = {{inotifyDescriptor, POLLIN, 0}, {wakeDescriptor, POLLIN, 0}};
            if (::poll(descriptors, 2, pollTimeout(deadline)) < 0 && errno != EINTR)
                return;
            if (stopRequested.load())
                return;
            if (drainEvents())
                deadline = deadlineAfter(Clock::now(), debounceInterval);
            if (deadline != kNoDeadline && Clock::now() >= deadline) {
                deadline = kNoDeadline;
                onSettled();
            }
        }
    }

    const std::chrono::nanoseconds debounceInterval;
    const std::function<void()> onSettled;
    int inotifyDescriptor = -1;
    int wakeDescriptor = -1;
    std::atomic<bool> stopRequested = false;
};

TruneFolderWatcher::TruneFolderWatcher(
    const QStringList& folders, std::chrono::nanoseconds debounceInterval, std::function<void()> onSettled)
{
    auto channel = std::make_shared<Channel>(debounceInterval, std::move(onSettled));
    channel->inotifyDescriptor = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    channel->wakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (channel->inotifyDescriptor < 0 || channel->wakeDescriptor < 0)
        return;
    for (const QString& folder : folders) {
        if (inotify_add_watch(channel->inotifyDescriptor, QFile::encodeName(folder).constData(), kWatchedEvents) >= 0)
            ++m_watchedFolderCount;
    }
    if (m_watchedFolderCount > 0)
        m_channel = std::move(channel);
}

TruneFolderWatcher::~TruneFolderWatcher()
{
    stop();
}

void TruneFolderWatcher::start()
{
    std::lock_guard lock(m_mutex);
    if (!m_channel || m_thread.joinable())
        return;
    m_thread = std::thread([channel = m_channel] { channel->run(); });
}

void TruneFolderWatcher::stop()
{
    std::shared_ptr<Channel> channel;
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        channel = std::move(m_channel);
        thread = std::move(m_thread);
    }
    if (!channel)
        return;
    channel->requestStop();
    if (!thread.joinable())
        return;
    // From inside the callback the thread cannot be joined; it ends as soon as the callback
    // returns, holding the channel until then.
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else
        thread.join();
}
