#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Delivery of one observer's notifications. Notifications arrive on the event loop of the thread
// that started observing, for as long as this object lives: destroying it stops them.
class TruneDistributedObservation final : public QObject {
    Q_OBJECT

public:
    // The notification's object: nullopt when it was posted without one.
    using Handler = std::function<void(const std::optional<QString>& object)>;

    TruneDistributedObservation(QString name, Handler handler);
    ~TruneDistributedObservation() override;

    // Whether the observation reaches a notification bus at all.
    bool isConnected() const { return m_connected; }

private slots:
    void deliver(const QString& name, const QString& object);

private:
    QString m_name;
    Handler m_handler;
    bool m_connected = false;
};

// Notifications between the processes of one user's desktop session: a name and an optional
// text object, heard by every process observing that name, the poster included.
namespace TruneDistributedNotificationCenter {

// Posts at once; false when no notification bus is reachable (nothing was delivered).
bool post(const QString& name, const std::optional<QString>& object = std::nullopt);

std::unique_ptr<TruneDistributedObservation> observe(const QString& name, TruneDistributedObservation::Handler handler);

} // namespace TruneDistributedNotificationCenter
