#pragma once

#include "core/records/HomebrewItem.h"
#include "core/records/InstalledAppRecord.h"

#include <QHash>
#include <QString>

#include <vector>

// Finds the cask that installed an app among one list of Homebrew items. The casks' bundle names
// and name keys are indexed once, so matching every installed app costs a lookup or two each
// instead of a walk over the whole list. The matcher refers to `items`, which must outlive it.
class HomebrewCaskMatcher final {
public:
    explicit HomebrewCaskMatcher(const std::vector<HomebrewItem>& items);

    // First any cask whose app artifacts include the app's bundle name (ignoring case), else one
    // whose name or full name equals the app's name once case, spaces, punctuation and symbols
    // are removed (only for app names that keep at least three characters that way). Formulae
    // never match. The first match in list order wins; nullptr when none does.
    const HomebrewItem* match(const InstalledAppRecord& app) const;

private:
    const std::vector<HomebrewItem>& m_items;
    QHash<QString, std::size_t> m_firstByBundleName;
    QHash<QString, std::size_t> m_firstByNameKey;
};
