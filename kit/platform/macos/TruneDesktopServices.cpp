#include "kit/platform/TruneDesktopServicesSystem.h"

#include <QProcess>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

bool launchOpen(const QStringList& arguments)
{
    return QProcess::startDetached(u"/usr/bin/open"_s, arguments);
}

} // namespace

namespace TruneDesktopServices::system {

bool open(const QUrl& url)
{
    return launchOpen({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
}

bool reveal(const QString& absolutePath)
{
    return launchOpen({u"-R"_s, absolutePath});
}

} // namespace TruneDesktopServices::system
