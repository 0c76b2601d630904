#include "app/views/uninstaller/UninstallerTexts.h"

#include "kit/localization/TruneText.h"

#include <algorithm>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A name in English and in Turkish; a name without a Turkish text reads the same in every
// language.
struct Name {
    QString english;
    QString turkish;
};

// One name for each case of an enum, so a new case fails to compile until it has one.
template <typename Case, std::size_t count>
requires(count == TruneRawValues<Case>::cases.size()) using NameTable = std::array<std::pair<Case, Name>, count>;

template <typename Case, std::size_t count>
QString nameOf(const NameTable<Case, count>& table, Case value, TruneLanguage language)
{
    const auto entry = std::ranges::find(table, value, &std::pair<Case, Name>::first);
    if (entry == table.end())
        return {};
    const Name& name = entry->second;
    return name.turkish.isEmpty() ? name.english : truneText(name.english, name.turkish, language);
}

const NameTable<UninstallerAppSortOrder, 6> sortTitles{{
    {UninstallerAppSortOrder::sizeDescending, {u"Size (Largest First)"_s, u"Boyut (Büyükten Küçüğe)"_s}},
    {UninstallerAppSortOrder::sizeAscending, {u"Size (Smallest First)"_s, u"Boyut (Küçükten Büyüğe)"_s}},
    {UninstallerAppSortOrder::nameAscending, {u"Name (A → Z)"_s, u"Ad (A → Z)"_s}},
    {UninstallerAppSortOrder::nameDescending, {u"Name (Z → A)"_s, u"Ad (Z → A)"_s}},
    {UninstallerAppSortOrder::newestFirst, {u"Recently Updated (Newest)"_s, u"Son Güncellenen (En Yeni)"_s}},
    {UninstallerAppSortOrder::oldestFirst, {u"Least Recently Updated (Oldest)"_s, u"En Eski Güncellenen"_s}},
}};

const NameTable<UninstallerAppSortOrder, 6> sortShortTitles{{
    {UninstallerAppSortOrder::sizeDescending, {u"Size ↓"_s, u"Boyut ↓"_s}},
    {UninstallerAppSortOrder::sizeAscending, {u"Size ↑"_s, u"Boyut ↑"_s}},
    {UninstallerAppSortOrder::nameAscending, {u"Name A–Z"_s, u"Ad A–Z"_s}},
    {UninstallerAppSortOrder::nameDescending, {u"Name Z–A"_s, u"Ad Z–A"_s}},
    {UninstallerAppSortOrder::newestFirst, {u"Newest"_s, u"En Yeni"_s}},
    {UninstallerAppSortOrder::oldestFirst, {u"Oldest"_s, u"En Eski"_s}},
}};

const NameTable<LeftoverSortOrder, 3> leftoverSortTitles{{
    {LeftoverSortOrder::category, {u"By Category"_s, u"Kategori"_s}},
    {LeftoverSortOrder::sizeDescending, {u"Largest First"_s, u"Boyut ↓"_s}},
    {LeftoverSortOrder::nameAscending, {u"Name A–Z"_s, u"Ad A–Z"_s}},
}};

const NameTable<LeftoverCategory, 8> categoryTitles{{
    {LeftoverCategory::appSupport, {u"Application Support"_s, u"Uygulama Desteği (Application Support)"_s}},
    {LeftoverCategory::caches, {u"Caches & Web Storage"_s, u"Önbellekler (Caches / HTTP / WebKit)"_s}},
    {LeftoverCategory::preferences, {u"Preferences (.plist)"_s, u"Tercihler (Preferences)"_s}},
    {LeftoverCategory::containers, {u"Sandbox & Group Containers"_s, u"Konteynerler (Containers)"_s}},
    {LeftoverCategory::logs, {u"Logs"_s, u"Günlükler (Logs)"_s}},
    {LeftoverCategory::launchAgents, {u"Launch Agents"_s, u"Başlatma Ajanları (LaunchAgents)"_s}},
    {LeftoverCategory::savedState, {u"Saved Application State"_s, u"Kaydedilmiş Durum (Saved State)"_s}},
    {LeftoverCategory::other, {u"Other"_s, u"Diğer"_s}},
}};

const NameTable<LeftoverCategory, 8> categoryShortTitles{{
    {LeftoverCategory::appSupport, {u"App Support"_s, {}}},
    {LeftoverCategory::caches, {u"Caches"_s, u"Önbellek"_s}},
    {LeftoverCategory::preferences, {u"Prefs"_s, u"Tercihler"_s}},
    {LeftoverCategory::containers, {u"Containers"_s, u"Konteyner"_s}},
    {LeftoverCategory::logs, {u"Logs"_s, u"Günlük"_s}},
    {LeftoverCategory::launchAgents, {u"LaunchAgent"_s, {}}},
    {LeftoverCategory::savedState, {u"Saved State"_s, {}}},
    {LeftoverCategory::other, {u"Other"_s, u"Diğer"_s}},
}};

} // namespace

namespace UninstallerTexts {

QString sortTitle(UninstallerAppSortOrder order, TruneLanguage language)
{
    return nameOf(sortTitles, order, language);
}

QString sortShortTitle(UninstallerAppSortOrder order, TruneLanguage language)
{
    return nameOf(sortShortTitles, order, language);
}

QString leftoverSortTitle(LeftoverSortOrder order, TruneLanguage language)
{
    return nameOf(leftoverSortTitles, order, language);
}

QString categoryTitle(LeftoverCategory category, TruneLanguage language)
{
    return nameOf(categoryTitles, category, language);
}

QString categoryShortTitle(LeftoverCategory category, TruneLanguage language)
{
    return nameOf(categoryShortTitles, category, language);
}

} // namespace UninstallerTexts
