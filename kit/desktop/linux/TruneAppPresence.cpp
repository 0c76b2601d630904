#include "kit/desktop/TruneAppPresence.h"

#include "kit/platform/TruneBundle.h"
#include "kit/platform/TruneRunningApplications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QVariantMap>

#include <cstdio>

using namespace Qt::StringLiterals;

// The session bus: the running copy owns its bundle identifier as a bus name and answers
// org.freedesktop.Application on the object path made from it, as desktop launchers and the
// maker's sibling apps expect. The bus hands a name to exactly one owner, so launches at the
// same moment cannot both become the running copy.
namespace {

class FreedesktopApplication final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit FreedesktopApplication(TruneAppPresence& presence)
        : m_presence(presence)
    {
    }

public slots:
    void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        emit m_presence.activationRequested();
    }
    // The program opens no files; being asked to is still a request to come forward.
    void Open(const QStringList& uris, const QVariantMap& platformData)
    {
        Q_UNUSED(uris);
        Activate(platformData);
    }
    // It has no actions of its own either.
    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData)
    {
        Q_UNUSED(name);
        Q_UNUSED(parameter);
        Q_UNUSED(platformData);
    }

private:
    TruneAppPresence& m_presence;
};

QString objectPath(const QString& identifier)
{
    QString path = u"/"_s + identifier;
    path.replace(u'.', u'/');
    path.replace(u'-', u'_');
    return path;
}

} // namespace

TruneAppPresence::TruneAppPresence(QObject* parent)
    : QObject(parent)
{
}

TruneAppPresence::~TruneAppPresence()
{
    if (!m_registeredInSession)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString identifier = TruneBundle::main().bundleIdentifier();
    bus.unregisterObject(objectPath(identifier));
    bus.unregisterService(identifier);
}

TruneAppPresence::Role TruneAppPresence::claimWithoutSession()
{
    m_fallback = std::make_unique<TruneSingleInstance>();
    connect(m_fallback.get(), &TruneSingleInstance::reopenRequested, this, &TruneAppPresence::activationRequested);
    return m_fallback->claim();
}

TruneAppPresence::Role TruneAppPresence::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return claimWithoutSession();
    const QString identifier = TruneBundle::main().bundleIdentifier();
    // The object answers before the name is taken, so no request can find the name without it.
    m_exported = std::make_unique<FreedesktopApplication>(*this);
    bus.registerObject(objectPath(identifier), m_exported.get(), QDBusConnection::ExportAllSlots);
    const auto reply = bus.interface()->registerService(
        identifier, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_registeredInSession = true;
        return Role::primary;
    }
    bus.unregisterObject(objectPath(identifier));
    m_exported.reset();
    if (TruneRunningApplications::activate({identifier, std::nullopt, 0}))
        return Role::secondary;
    // Whatever holds the name does not answer as this program would: never step aside for it.
    std::fprintf(stderr, "Another program holds %s in the session and does not answer; starting anyway.\n",
        qPrintable(identifier));
    m_nameHeldByAnother = true;
    return claimWithoutSession();
}

#include "TruneAppPresence.moc"
