#include "app/views/uninstaller/UninstallerTexts.h"

#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

namespace UninstallerTexts {

QString sortTitle(UninstallerAppSortOrder order, TruneLanguage language)
{
    switch (order) {
    case UninstallerAppSortOrder::sizeDescending:
        return truneText(u"Size (Largest First)"_s, u"Boyut (Büyükten Küçüğe)"_s, language);
    case UninstallerAppSortOrder::sizeAscending:
        return truneText(u"Size (Smallest First)"_s, u"Boyut (Küçükten Büyüğe)"_s, language);
    case UninstallerAppSortOrder::nameAscending:
        return truneText(u"Name (A → Z)"_s, u"Ad (A → Z)"_s, language);
    case UninstallerAppSortOrder::nameDescending:
        return truneText(u"Name (Z → A)"_s, u"Ad (Z → A)"_s, language);
    case UninstallerAppSortOrder::newestFirst:
        return truneText(u"Recently Updated (Newest)"_s, u"Son Güncellenen (En Yeni)"_s, language);
    case UninstallerAppSortOrder::oldestFirst:
        return truneText(u"Least Recently Updated (Oldest)"_s, u"En Eski Güncellenen"_s, language);
    }
    return {};
}

QString sortShortTitle(UninstallerAppSortOrder order, TruneLanguage language)
{
    switch (order) {
    case UninstallerAppSortOrder::sizeDescending:
        return truneText(u"Size ↓"_s, u"Boyut ↓"_s, language);
    case UninstallerAppSortOrder::sizeAscending:
        return truneText(u"Size ↑"_s, u"Boyut ↑"_s, language);
    case UninstallerAppSortOrder::nameAscending:
        return truneText(u"Name A–Z"_s, u"Ad A–Z"_s, language);
    case UninstallerAppSortOrder::nameDescending:
        return truneText(u"Name Z–A"_s, u"Ad Z–A"_s, language);
    case UninstallerAppSortOrder::newestFirst:
        return truneText(u"Newest"_s, u"En Yeni"_s, language);
    case UninstallerAppSortOrder::oldestFirst:
        return truneText(u"Oldest"_s, u"En Eski"_s, language);
    }
    return {};
}

QString leftoverSortTitle(LeftoverSortOrder order, TruneLanguage language)
{
    switch (order) {
    case LeftoverSortOrder::category:
        return truneText(u"By Category"_s, u"Kategori"_s, language);
    case LeftoverSortOrder::sizeDescending:
        return truneText(u"Largest First"_s, u"Boyut ↓"_s, language);
    case LeftoverSortOrder::nameAscending:
        return truneText(u"Name A–Z"_s, u"Ad A–Z"_s, language);
    }
    return {};
}

QString categoryTitle(LeftoverCategory category, TruneLanguage language)
{
    switch (category) {
    case LeftoverCategory::appSupport:
        return truneText(u"Application Support"_s, u"Uygulama Desteği (Application Support)"_s, language);
    case LeftoverCategory::caches:
        return truneText(u"Caches & Web Storage"_s, u"Önbellekler (Caches / HTTP / WebKit)"_s, language);
    case LeftoverCategory::preferences:
        return truneText(u"Preferences (.plist)"_s, u"Tercihler (Preferences)"_s, language);
    case LeftoverCategory::containers:
        return truneText(u"Sandbox & Group Containers"_s, u"Konteynerler (Containers)"_s, language);
    case LeftoverCategory::logs:
        return truneText(u"Logs"_s, u"Günlükler (Logs)"_s, language);
    case LeftoverCategory::launchAgents:
        return truneText(u"Launch Agents"_s, u"Başlatma Ajanları (LaunchAgents)"_s, language);
    case LeftoverCategory::savedState:
        return truneText(u"Saved Application State"_s, u"Kaydedilmiş Durum (Saved State)"_s, language);
    case LeftoverCategory::other:
        return truneText(u"Other"_s, u"Diğer"_s, language);
    }
    return {};
}

QString categoryShortTitle(LeftoverCategory category, TruneLanguage language)
{
    switch (category) {
    case LeftoverCategory::appSupport:
        return u"App Support"_s;
    case LeftoverCategory::caches:
        return truneText(u"Caches"_s, u"Önbellek"_s, language);
    case LeftoverCategory::preferences:
        return truneText(u"Prefs"_s, u"Tercihler"_s, language);
    case LeftoverCategory::containers:
        return truneText(u"Containers"_s, u"Konteyner"_s, language);
    case LeftoverCategory::logs:
        return truneText(u"Logs"_s, u"Günlük"_s, language);
    case LeftoverCategory::launchAgents:
        return u"LaunchAgent"_s;
    case LeftoverCategory::savedState:
        return u"Saved State"_s;
    case LeftoverCategory::other:
        return truneText(u"Other"_s, u"Diğer"_s, language);
    }
    return {};
}

} // namespace UninstallerTexts
