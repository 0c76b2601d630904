#include "kit/suite/TruneSuiteApp.h"

#include "kit/platform/TruneApplicationLauncher.h"
#include "kit/platform/TrunePaths.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array symbolNames{
#define TRUNE_SUITE_APP_SYMBOL(name, raw, symbol) symbol,
    TRUNE_SUITE_APPS(TRUNE_SUITE_APP_SYMBOL)
#undef TRUNE_SUITE_APP_SYMBOL
};

bool equalIgnoringCase(const std::optional<QString>& text, const QString& wanted)
{
    return text && text->compare(wanted, Qt::CaseInsensitive) == 0;
}

} // namespace

namespace TruneSuiteCatalog {

QString bundleIdentifier(TruneSuiteApp app)
{
    return u"com.quorvane."_s + rawValue(app).toLower();
}

QString symbolName(TruneSuiteApp app)
{
    return QString::fromLatin1(symbolNames.at(static_cast<size_t>(caseIndex(app))));
}

std::optional<TruneRunningApplication> firstMatch(
    TruneSuiteApp app, const std::vector<TruneRunningApplication>& running)
{
    const QString identifier = bundleIdentifier(app);
    const QString name = rawValue(app);
    for (const TruneRunningApplication& application : running) {
        if (equalIgnoringCase(application.bundleIdentifier, identifier)
            || equalIgnoringCase(application.localizedName, name))
            return application;
    }
    return std::nullopt;
}

bool isRunning(TruneSuiteApp app)
{
    return firstMatch(app, TruneRunningApplications::list()).has_value();
}

std::optional<QString> installedURL(TruneSuiteApp app)
{
    const QString bundleName = rawValue(app) + u".app"_s;
    for (const QString& candidate :
        {TrunePaths::homeDirectory() + u"/Applications/"_s + bundleName, u"/Applications/"_s + bundleName}) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool isInstalled(TruneSuiteApp app)
{
    return installedURL(app).has_value();
}

bool launch(TruneSuiteApp app)
{
    if (const auto running = firstMatch(app, TruneRunningApplications::list())) {
        TruneRunningApplications::activate(*running);
        return true;
    }
    const auto installed = installedURL(app);
    return installed && TruneApplicationLauncher::launch(*installed, {.activates = true});
}

} // namespace TruneSuiteCatalog
