#include "kit/platform/TrunePlatform.h"

#include <QCoreApplication>
#include <QOperatingSystemVersion>
#include <QSysInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace TrunePlatform {

QString operatingSystemVersion()
{
    const QOperatingSystemVersion current = QOperatingSystemVersion::current();
    return u"%1.%2.%3"_s.arg(std::max(current.majorVersion(), 0))
        .arg(std::max(current.minorVersion(), 0))
        .arg(std::max(current.microVersion(), 0));
}

QString operatingSystemDescription()
{
    return u"macOS "_s + QSysInfo::productVersion();
}

QString systemAndProcessorDescription()
{
    const bool appleSilicon = QSysInfo::currentCpuArchitecture().startsWith(u"arm"_s);
    return u"macOS "_s + operatingSystemVersion() + (appleSilicon ? u" (Apple Silicon)"_s : u" (Intel)"_s);
}

QString executablePath()
{
    return QCoreApplication::applicationFilePath();
}

} // namespace TrunePlatform
