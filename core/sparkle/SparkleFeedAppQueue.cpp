#include "core/sparkle/SparkleFeedAppQueue.h"

#include <utility>

void SparkleFeedAppQueue::add(InstalledAppRecord app)
{
    const std::lock_guard lock(m_mutex);
    m_apps.push_back(std::move(app));
    if (m_wake)
        m_wake();
}

void SparkleFeedAppQueue::close()
{
    const std::lock_guard lock(m_mutex);
    m_closed = true;
    if (m_wake)
        m_wake();
}

SparkleFeedAppQueue::Arrivals SparkleFeedAppQueue::take()
{
    const std::lock_guard lock(m_mutex);
    return {.apps = std::exchange(m_apps, {}), .closed = m_closed};
}

void SparkleFeedAppQueue::setWake(std::function<void()> wake)
{
    const std::lock_guard lock(m_mutex);
    m_wake = std::move(wake);
}
