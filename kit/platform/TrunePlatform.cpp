#include "kit/platform/TrunePlatform.h"

#include <QCoreApplication>

#include <cstring>

namespace TrunePlatform {

QString processName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty())
        return name;
    return executablePath().section(QLatin1Char('/'), -1);
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
