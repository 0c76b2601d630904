#pragma once

#include "tests/support/TestWaits.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Collects the pieces an output handler receives, each decoded on its own, from any thread, and
// lets a test wait for a piece with a bounded wait.
class OutputTranscript final {
public:
    std::function<void(QByteArrayView utf8)> handler()
    {
        return [this](QByteArrayView utf8) {
            {
                std::lock_guard lock(m_mutex);
                m_pieces << QString::fromUtf8(utf8);
            }
            m_changed.notify_all();
        };
    }

    QStringList pieces() const
    {
        std::lock_guard lock(m_mutex);
        return m_pieces;
    }

    QString text() const { return pieces().join(QString()); }

    // True once the text received so far contains `part`; false when the tests' one deadline
    // passes first.
    bool waitForText(const QString& part) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, testDeadline(), [&] { return m_pieces.join(QString()).contains(part); });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QStringList m_pieces;
};
