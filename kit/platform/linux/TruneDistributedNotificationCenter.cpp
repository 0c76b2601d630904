#include "kit/platform/TruneDistributedNotificationCenter.h"

#include <QDBusConnection>
#include <QDBusMessage>

using namespace Qt::StringLiterals;

// Each notification is the signal Posted(name, object) on one well-known path of the session
// bus; an empty object text stands for no object.
namespace {

const QString signalPath = u"/com/quorvane/DistributedNotificationCenter"_s;
const QString signalInterface = u"com.quorvane.DistributedNotificationCenter"_s;
const QString signalName = u"Posted"_s;

bool connectDelivery(QDBusConnection& bus, const QString& name, QObject* receiver)
{
    return bus.connect(
        QString(), signalPath, signalInterface, signalName, {name}, u"ss"_s, receiver, SLOT(deliver(QString, QString)));
}

} // namespace

TruneDistributedObservation::TruneDistributedObservation(QString name, Handler handler)
    : m_name(std::move(name))
    , m_handler(std::move(handler))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_connected = bus.isConnected() && connectDelivery(bus, m_name, this);
}

TruneDistributedObservation::~TruneDistributedObservation()
{
    if (!m_connected)
        return;
    QDBusConnection::sessionBus().disconnect(
        QString(), signalPath, signalInterface, signalName, {m_name}, u"ss"_s, this, SLOT(deliver(QString, QString)));
}

void TruneDistributedObservation::deliver(const QString& name, const QString& object)
{
    if (name != m_name)
        return;
    m_handler(object.isEmpty() ? std::nullopt : std::optional<QString>(object));
}

namespace TruneDistributedNotificationCenter {

bool post(const QString& name, const std::optional<QString>& object)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage notification = QDBusMessage::createSignal(signalPath, signalInterface, signalName);
    notification << name << object.value_or(QString());
    if (!bus.send(notification))
        return false;
    // A round trip to the bus after the signal: the signal has then left this process, so a
    // poster that quits right away still delivers it.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s, u"org.freedesktop.DBus.Peer"_s, u"Ping"_s);
    return bus.call(ping, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
}

std::unique_ptr<TruneDistributedObservation> observe(const QString& name, TruneDistributedObservation::Handler handler)
{
    return std::make_unique<TruneDistributedObservation>(name, std::move(handler));
}

} // namespace TruneDistributedNotificationCenter
