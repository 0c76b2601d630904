#include "kit/platform/TruneApplicationLauncher.h"

#include "kit/platform/TrunePropertyList.h"
#include "kit/platform/TruneSafeFile.h"

#include <QFile>
#include <QProcess>
#include <QVariantMap>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 maxInfoPlistBytes = 4 * 1024 * 1024;

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/') && !name.contains(QChar(0));
}

bool isRegularExecutable(const QString& path)
{
    struct stat status { };
    const QByteArray native = QFile::encodeName(path);
    return ::lstat(native.constData(), &status) == 0 && S_ISREG(status.st_mode)
        && ::access(native.constData(), X_OK) == 0;
}

} // namespace

namespace TruneApplicationLauncher {

QString executablePath(const QString& bundlePath)
{
    const auto bytes = TruneSafeFile::readRegularFile(bundlePath + u"/Contents/Info.plist"_s, maxInfoPlistBytes);
    if (!bytes)
        return {};
    const auto info = TrunePropertyList::parse(*bytes);
    if (!info)
        return {};
    const QVariant name = info->toMap().value(u"CFBundleExecutable"_s);
    if (name.typeId() != QMetaType::QString || !isPlainFileName(name.toString()))
        return {};
    const QString path = bundlePath + u"/Contents/MacOS/"_s + name.toString();
    return isRegularExecutable(path) ? path : QString();
}

// The desktop raises a newly started application by itself; there is no way to ask it not to.
bool launch(const QString& bundlePath, const Options&)
{
    const QString executable = executablePath(bundlePath);
    if (executable.isEmpty())
        return false;
    QProcess process;
    process.setProgram(executable);
    process.setWorkingDirectory(bundlePath);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace TruneApplicationLauncher
