#include "tests/support/TempHome.h"

#include "tests/support/TreeRemoval.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

TempHome::TempHome()
{
    Q_ASSERT(m_dir.isValid());
    // Removed by the destructor, without following links (QDir's removal follows a folder that
    // was swapped for a link while it ran).
    m_dir.setAutoRemove(false);
    setVariable("HOME", path());
    setVariable("XDG_DATA_HOME", dataHome());
    setVariable("XDG_CONFIG_HOME", configHome());
    setVariable("XDG_CACHE_HOME", filePath(QStringLiteral(".cache")));
    setVariable("XDG_STATE_HOME", filePath(QStringLiteral(".local/state")));
    for (const QString& folder : {dataHome(), configHome()})
        QDir().mkpath(folder);
    // QSettings caches its per-user folder on first use; point it at this home explicitly.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configHome());
}

TempHome::~TempHome()
{
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configHome);
    TreeRemoval::removeTree(path());
}

QString TempHome::filePath(const QString& relative) const
{
    return path() + QLatin1Char('/') + relative;
}

QString TempHome::dataHome() const
{
    return filePath(QStringLiteral(".local/share"));
}

QString TempHome::configHome() const
{
    return filePath(QStringLiteral(".config"));
}

void TempHome::setVariable(const char* name, const QString& value)
{
    const QByteArray key(name);
    if (!m_saved.contains(key))
        m_saved[key] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    qputenv(name, value.toUtf8());
}
