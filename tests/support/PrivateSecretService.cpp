#include "tests/support/PrivateSecretService.h"

#include "tests/support/PrivateSessionBus.h"

#include <gio/gio.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* secretsName = "org.freedesktop.secrets";
constexpr const char* secretsPath = "/org/freedesktop/secrets";
constexpr const char* serviceInterface = "org.freedesktop.Secret.Service";
constexpr const char* keyringInterface = "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface";
constexpr int startTimeoutMs = 20000;
constexpr QByteArrayView loginPassword("private keyring");

// A daemon must not outlive a test process that crashes or is killed by a time-out.
void dieWithParent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// The password of every collection here, as a secret sent in a plain session.
GVariant* passwordSecret(const QByteArray& session)
{
    GVariant* parameters = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, nullptr, 0, 1);
    GVariant* password
        = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, loginPassword.data(), gsize(loginPassword.size()), 1);
    return g_variant_new("(o@ay@ays)", session.constData(), parameters, password, "text/plain");
}

GVariant* callSecrets(GDBusConnection* connection, const char* path, const char* interface, const char* method,
    GVariant* parameters, const char* replyType)
{
    return g_dbus_connection_call_sync(connection, secretsName, path, interface, method, parameters,
        G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, nullptr);
}

bool succeeds(GVariant* reply)
{
    if (!reply)
        return false;
    g_variant_unref(reply);
    return true;
}

} // namespace

PrivateSecretService::PrivateSecretService()
{
    const PrivateSessionBus& bus = PrivateSessionBus::instance();
    if (bus.address().isEmpty()) {
        m_failure = u"the private session bus did not start: "_s + bus.failure();
        return;
    }
    if (!m_home.isValid()) {
        m_failure = u"no temporary folder"_s;
        return;
    }
    if (!connectToBus(bus.address()) || !startKeyring(bus.address()) || !waitForDefaultCollection())
        return;
    // The shared connection ends the process when its bus goes away; the private bus goes away
    // while the program exits.
    m_sessionBus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!m_sessionBus) {
        m_failure = u"the session bus connection failed"_s;
        return;
    }
    g_dbus_connection_set_exit_on_close(m_sessionBus, FALSE);
}

PrivateSecretService::~PrivateSecretService()
{
    stop(m_keyring);
    if (m_connection)
        g_object_unref(m_connection);
    if (m_sessionBus)
        g_object_unref(m_sessionBus);
}

bool PrivateSecretService::connectToBus(const QString& address)
{
    GError* error = nullptr;
    m_connection = g_dbus_connection_new_for_address_sync(address.toUtf8().constData(),
        GDBusConnectionFlags(
            G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    if (!m_connection) {
        m_failure = u"cannot connect to the private bus: "_s + QString::fromUtf8(error->message);
        g_error_free(error);
        return false;
    }
    return true;
}

bool PrivateSecretService::startKeyring(const QString& busAddress)
{
    const QString runtime = m_home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral(".cache")));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "GNOME_KEYRING_CONTROL", "SSH_AUTH_SOCK"})
        environment.remove(QString::fromLatin1(name));
    m_keyring.setProcessEnvironment(environment);
    dieWithParent(m_keyring);
    m_keyring.setStandardOutputFile(m_home.filePath(QStringLiteral("keyring.log")));
    m_keyring.setStandardErrorFile(m_home.filePath(QStringLiteral("keyring.log")), QIODevice::Append);
    m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
        {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
    if (!m_keyring.waitForStarted(startTimeoutMs)) {
        m_failure = QStringLiteral("gnome-keyring-daemon did not start: ") + m_keyring.errorString();
        return false;
    }
    // The daemon reads the login password up to the end of its input. Without an event loop only
    // the waits move the bytes.
    m_keyring.write(loginPassword.data(), loginPassword.size());
    m_keyring.waitForBytesWritten(startTimeoutMs);
    m_keyring.closeWriteChannel();
    return true;
}

// The daemon owns its name and has created the login keyring once the default alias names it.
bool PrivateSecretService::waitForDefaultCollection()
{
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!deadline.hasExpired()) {
        if (!defaultCollectionPath().isEmpty())
            return true;
        // Without an event loop only a wait notices that the daemon ended.
        if (m_keyring.waitForFinished(10)) {
            m_failure = QStringLiteral("gnome-keyring-daemon exited: ") + logText(QStringLiteral("keyring.log"));
            return false;
        }
    }
    m_failure = QStringLiteral("the login keyring did not appear");
    return false;
}

QString PrivateSecretService::defaultCollectionPath() const
{
    GVariant* reply
        = callSecrets(m_connection, secretsPath, serviceInterface, "ReadAlias", g_variant_new("(s)", "default"), "(o)");
    if (!reply)
        return {};
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    const QString result = qstrcmp(path, "/") == 0 ? QString() : QString::fromUtf8(path);
    g_variant_unref(reply);
    return result;
}

bool PrivateSecretService::lockDefaultCollection()
{
    const QByteArray collection = defaultCollectionPath().toUtf8();
    if (collection.isEmpty())
        return false;
    const gchar* objects[] = {collection.constData()};
    return succeeds(callSecrets(m_connection, secretsPath, serviceInterface, "Lock",
        g_variant_new("(@ao)", g_variant_new_objv(objects, 1)), "(aoo)"));
}

bool PrivateSecretService::unlockDefaultCollection()
{
    const QByteArray collection = defaultCollectionPath().toUtf8();
    const QByteArray session = openPlainSession();
    if (collection.isEmpty() || session.isEmpty())
        return false;
    return succeeds(callSecrets(m_connection, secretsPath, keyringInterface, "UnlockWithMasterPassword",
        g_variant_new("(o@(oayays))", collection.constData(), passwordSecret(session)), "()"));
}

bool PrivateSecretService::addDefaultCollection()
{
    const QByteArray session = openPlainSession();
    if (session.isEmpty())
        return false;
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(
        &properties, "{sv}", "org.freedesktop.Secret.Collection.Label", g_variant_new_string("added"));
    GVariant* created = callSecrets(m_connection, secretsPath, keyringInterface, "CreateWithMasterPassword",
        g_variant_new("(a{sv}@(oayays))", &properties, passwordSecret(session)), "(o)");
    if (!created)
        return false;
    const gchar* collection = nullptr;
    g_variant_get(created, "(&o)", &collection);
    const bool aliased = succeeds(callSecrets(
        m_connection, secretsPath, serviceInterface, "SetAlias", g_variant_new("(so)", "default", collection), "()"));
    g_variant_unref(created);
    return aliased;
}

// gnome-keyring's own way in for scripts: a plain-text session carries the password, and no
// prompt asks for it.
QByteArray PrivateSecretService::openPlainSession() const
{
    GVariant* opened = callSecrets(m_connection, secretsPath, serviceInterface, "OpenSession",
        g_variant_new("(sv)", "plain", g_variant_new_string("")), "(vo)");
    if (!opened)
        return {};
    const gchar* session = nullptr;
    g_variant_get(opened, "(v&o)", nullptr, &session);
    const QByteArray path(session);
    g_variant_unref(opened);
    return path;
}

// What a daemon wrote, for a failure message: the temporary home goes away with the object.
QString PrivateSecretService::logText(const QString& name) const
{
    QFile log(m_home.filePath(name));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).trimmed() : QString();
}

void PrivateSecretService::stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
