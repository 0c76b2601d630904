#include "kit/platform/TruneUserDefaults.h"

#include <QSettings>

namespace {

// A fresh QSettings per call: QSettings::setPath() (used by tests for their own home) only
// affects objects created after it, and a short-lived object writes through on destruction.
QSettings openStore(const QString& organization, const QString& application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

} // namespace

TruneUserDefaults TruneUserDefaults::standard()
{
    return {QStringLiteral("Quorvane"), QStringLiteral("TruneUpdate")};
}

TruneUserDefaults::TruneUserDefaults(QString organization, QString application)
    : m_organization(std::move(organization))
    , m_application(std::move(application))
{
}

QVariant TruneUserDefaults::value(const QString& key) const
{
    return openStore(m_organization, m_application).value(key);
}

std::optional<QString> TruneUserDefaults::string(const QString& key) const
{
    const QVariant stored = value(key);
    switch (stored.typeId()) {
    case QMetaType::QString:
        return stored.toString();
    // Written in this process and still cached with its type; the file holds (and another
    // process reads) the same value as text.
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return stored.toString();
    default:
        return std::nullopt;
    }
}

void TruneUserDefaults::setValue(const QString& key, const QVariant& value) const
{
    if (key.isEmpty())
        return;
    if (!value.isValid()) {
        remove(key);
        return;
    }
    openStore(m_organization, m_application).setValue(key, value);
}

void TruneUserDefaults::setString(const QString& key, const QString& text) const
{
    setValue(key, text);
}

void TruneUserDefaults::remove(const QString& key) const
{
    // QSettings reads an empty key as "every key".
    if (key.isEmpty())
        return;
    openStore(m_organization, m_application).remove(key);
}

void TruneUserDefaults::sync() const
{
    openStore(m_organization, m_application).sync();
}
