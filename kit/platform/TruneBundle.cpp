#include "kit/platform/TruneBundle.h"

#include "kit/platform/TruneBuildInfo.h"
#include "kit/platform/TrunePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString executableDirectory()
{
    // The system's answer works before (and without) a QCoreApplication; when it has none, Qt knows.
    const QString executable = TrunePlatform::executablePath();
    if (!executable.isEmpty())
        return executable.section(QLatin1Char('/'), 0, -2);
    return QCoreApplication::applicationDirPath();
}

QVariantMap mainInfoDictionary()
{
    const QString name = QString::fromUtf8(TruneBuildInfo::bundleName);
    return {
        {QStringLiteral("CFBundleIdentifier"), QString::fromUtf8(TruneBuildInfo::bundleIdentifier)},
        {QStringLiteral("CFBundleName"), name},
        {QStringLiteral("CFBundleDisplayName"), name},
        {QStringLiteral("CFBundleShortVersionString"), QString::fromUtf8(TruneBuildInfo::shortVersion)},
        {QStringLiteral("CFBundleVersion"), QString::fromUtf8(TruneBuildInfo::buildNumber)},
    };
}

} // namespace

TruneBundle::TruneBundle(QVariantMap infoDictionary, QString resourcesPath)
    : m_info(std::move(infoDictionary))
    , m_resourcesPath(std::move(resourcesPath))
{
}

const TruneBundle& TruneBundle::main()
{
    static const TruneBundle bundle(mainInfoDictionary(),
        QDir::cleanPath(
            executableDirectory() + QStringLiteral("/../share/") + QString::fromUtf8(TruneBuildInfo::dataFolderName)));
    return bundle;
}

QVariant TruneBundle::infoValue(const QString& key) const
{
    return m_info.value(key);
}

QString TruneBundle::bundleIdentifier() const
{
    const QVariant value = infoValue(QStringLiteral("CFBundleIdentifier"));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

std::optional<QString> TruneBundle::pathForResource(const QString& name, const QString& extension) const
{
    const QString path = m_resourcesPath + QLatin1Char('/') + name + QLatin1Char('.') + extension;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}
