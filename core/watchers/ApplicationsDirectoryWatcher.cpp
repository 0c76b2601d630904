#include "core/watchers/ApplicationsDirectoryWatcher.h"

#include "kit/platform/TruneFolderWatcher.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr double kShortestDebounceInterval = 0.1;

double clampedDebounceInterval(double seconds)
{
    return std::isnan(seconds) ? kShortestDebounceInterval : std::max(seconds, kShortestDebounceInterval);
}

// Saturates, so an interval too long to count in nanoseconds means "never settles" instead of
// overflowing.
std::chrono::nanoseconds debounceDuration(double seconds)
{
    const double nanoseconds = seconds * 1e9;
    if (nanoseconds >= static_cast<double>(std::chrono::nanoseconds::max().count()))
        return std::chrono::nanoseconds::max();
    return std::chrono::nanoseconds(std::llround(nanoseconds));
}

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

bool isHidden(const QByteArray& name)
{
    return name.startsWith('.');
}

bool hasAppExtension(const QByteArray& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 0 && name.sliced(dot + 1).compare("app", Qt::CaseInsensitive) == 0;
}

// The names of the folder's immediate children, hidden ones left out; none when it cannot be read.
std::vector<QByteArray> visibleChildNames(const QByteArray& folder)
{
    std::vector<QByteArray> names;
    DIR* directory = ::opendir(folder.constData());
    if (!directory)
        return names;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (!isHidden(name))
            names.push_back(name);
    }
    ::closedir(directory);
    return names;
}

struct ModificationTime {
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
};

ModificationTime modificationTimeWithoutFollowing(const QByteArray& path)
{
    struct stat info { };
    if (::lstat(path.constData(), &info) != 0)
        return {};
    return {static_cast<qint64>(info.st_mtim.tv_sec), static_cast<qint64>(info.st_mtim.tv_nsec)};
}

} // namespace

ApplicationsDirectoryWatcher::ApplicationsDirectoryWatcher(QStringList directories, double debounceInterval)
    : m_directories(std::move(directories))
    , m_debounceInterval(clampedDebounceInterval(debounceInterval))
{
}

ApplicationsDirectoryWatcher::~ApplicationsDirectoryWatcher()
{
    stop();
}

void ApplicationsDirectoryWatcher::start(std::function<void()> onChange)
{
    stop();
    Snapshot snapshot = captureSnapshot();
    // The folders are opened before the baseline is stored, so a change made meanwhile still
    // arrives as an event and is compared against it.
    auto sources = std::make_unique<TruneFolderWatcher>(
        m_directories, debounceDuration(m_debounceInterval), [this] { checkForChanges(); });
    std::lock_guard lock(m_mutex);
    m_lastSnapshot = std::move(snapshot);
    m_onChange = std::move(onChange);
    m_sources = std::move(sources);
    // Started under the lock: its first check waits for the baseline and handler stored above.
    m_sources->start();
}

void ApplicationsDirectoryWatcher::stop()
{
    std::unique_ptr<TruneFolderWatcher> sources;
    std::function<void()> onChange;
    {
        std::lock_guard lock(m_mutex);
        sources = std::move(m_sources);
        onChange = std::exchange(m_onChange, nullptr);
    }
    // Outside the lock: a check waiting for it would otherwise never let the watcher's thread end.
    sources.reset();
}

bool ApplicationsDirectoryWatcher::checkForChanges()
{
    Snapshot snapshot = captureSnapshot();
    std::function<void()> onChange;
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        changed = snapshot != m_lastSnapshot;
        if (changed) {
            m_lastSnapshot = std::move(snapshot);
            onChange = m_onChange;
        }
    }
    if (changed && onChange)
        onChange();
    return changed;
}

ApplicationsDirectoryWatcher::Snapshot ApplicationsDirectoryWatcher::captureSnapshot() const
{
    Snapshot snapshot;
    for (const QString& directory : m_directories) {
        const QByteArray folder = QFile::encodeName(directory);
        for (const QByteArray& name : visibleChildNames(folder)) {
            if (!hasAppExtension(name))
                continue;
            const QByteArray bundle = folder + '/' + name;
            const ModificationTime bundleTime = modificationTimeWithoutFollowing(bundle);
            const ModificationTime plistTime = modificationTimeWithoutFollowing(bundle + "/Contents/Info.plist");
            snapshot.insert_or_assign(standardizedPath(QFile::decodeName(bundle)),
                BundleSignature{bundleTime.seconds, bundleTime.nanoseconds, plistTime.seconds, plistTime.nanoseconds});
        }
    }
    return snapshot;
}
