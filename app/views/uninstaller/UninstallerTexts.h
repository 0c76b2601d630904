#pragma once

#include "core/records/LeftoverSortOrder.h"
#include "core/records/UninstallerAppSortOrder.h"
#include "kit/localization/TruneLanguage.h"

#include <QString>

// The uninstaller's names for its sort orders and leftover categories, in the interface language.
namespace UninstallerTexts {

QString sortTitle(UninstallerAppSortOrder order, TruneLanguage language);
QString sortShortTitle(UninstallerAppSortOrder order, TruneLanguage language);
QString leftoverSortTitle(LeftoverSortOrder order, TruneLanguage language);
QString categoryTitle(LeftoverCategory category, TruneLanguage language);
// Three of them ("App Support", "LaunchAgent", "Saved State") read the same in every language.
QString categoryShortTitle(LeftoverCategory category, TruneLanguage language);

} // namespace UninstallerTexts
