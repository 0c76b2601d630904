#include "kit/platform/TrunePlatform.h"

#include <QFileInfo>
#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace TrunePlatform {

QString operatingSystemVersion()
{
    return u"14.0.0"_s;
}

namespace {

// The system's own name for itself is the PRETTY_NAME of os-release; without one, the kernel's
// version stands in.
QString systemName()
{
    return QSysInfo::productType() == u"unknown"_s ? QSysInfo::kernelVersion() : QSysInfo::prettyProductName();
}

} // namespace

QString operatingSystemDescription()
{
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel[0].toUpper();
    return kernel + u' ' + systemName();
}

QString systemAndProcessorDescription()
{
    return systemName() + u" ("_s + QSysInfo::currentCpuArchitecture() + u')';
}

QString executablePath()
{
    return QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
}

} // namespace TrunePlatform
