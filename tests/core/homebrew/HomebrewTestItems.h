#pragma once

#include "core/records/HomebrewItem.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>
#include <vector>

// Readable failure messages for item comparisons.
inline void PrintTo(const HomebrewItem& item, std::ostream* os)
{
    const auto text = [](const std::optional<QString>& value) {
        return value ? '"' + value->toStdString() + '"' : std::string("nullopt");
    };
    *os << "{id " << item.id().toStdString() << ", fullName \"" << item.fullName.toStdString() << "\", installed "
        << text(item.installedVersion) << ", latest \"" << item.latestVersion.toStdString() << "\", outdated "
        << item.isOutdated << ", description \"" << item.description.toStdString() << "\", homepage "
        << text(item.homepage) << ", isInstalled " << item.isInstalled << ", apps ["
        << item.appArtifacts.join(u", ").toStdString() << "], onRequest " << item.installedOnRequest << '}';
}

// Short ways to read the Homebrew item lists the tests compare.
namespace HomebrewTestItems {

// "cask::Foo" or "formula::bar" per item, in list order: shows order and kind at once.
inline QStringList idsOf(const std::vector<HomebrewItem>& items)
{
    QStringList ids;
    for (const HomebrewItem& item : items)
        ids << item.id();
    return ids;
}

inline QStringList namesOf(const std::vector<HomebrewItem>& items)
{
    QStringList names;
    for (const HomebrewItem& item : items)
        names << item.name;
    return names;
}

} // namespace HomebrewTestItems
