#include "kit/platform/TrunePlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QOperatingSystemVersion>

#include <algorithm>
#include <cstring>

namespace TrunePlatform {

QString operatingSystemVersion()
{
#if defined(Q_OS_MACOS)
    const QOperatingSystemVersion current = QOperatingSystemVersion::current();
    return QStringLiteral("%1.%2.%3")
        .arg(std::max(current.majorVersion(), 0))
        .arg(std::max(current.minorVersion(), 0))
        .arg(std::max(current.microVersion(), 0));
#else
    return QStringLiteral("14.0.0");
#endif
}

QString processName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty())
        return name;
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), -1);
}

QString systemErrorText(int errorNumber)
{
#if defined(__GLIBC__)
    if (const char* text = strerrordesc_np(errorNumber))
        return QString::fromUtf8(text);
    return QStringLiteral("Unknown error %1").arg(errorNumber);
#else
    return QString::fromLocal8Bit(std::strerror(errorNumber));
#endif
}

} // namespace TrunePlatform
