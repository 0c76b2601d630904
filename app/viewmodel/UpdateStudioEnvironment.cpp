#include "app/viewmodel/UpdateStudioEnvironment.h"

#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "core/records/UpdateConfigStore.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/platform/TruneTrash.h"

using namespace Qt::StringLiterals;

UpdateStudioEnvironment UpdateStudioEnvironment::real()
{
    return {
        .searchDirectories = InstalledAppScanner::defaultSearchDirectories(),
        .libraryRoot = AppLeftoverScanner::defaultLibraryRootURL(),
        .trashFolder = TruneTrash::filesDirectory(),
        .configFolder = UpdateConfigStore::defaultDirectoryURL(),
        .logger = &TruneAppLogger::shared(u"TruneUpdate"_s),
        .now = [] { return QDateTime::currentDateTimeUtc(); },
        .measureSize = [](const QString& path) { return FastDirectorySizeReader::allocatedSize(path, true); },
        .locale = QLocale(),
        .openUrl = [](const QUrl& url) { return TruneDesktopServices::openUrl(url); },
    };
}
