#include "kit/localization/TruneText.h"

#include "kit/localization/TruneLocalizationStore.h"

QString truneText(const QString& en, const QString& tr, const std::optional<QString>& key, TruneLanguage language)
{
    return TruneLocalizationStore::shared().resolve(key, en, tr, language);
}

QString truneText(const QString& en, const QString& tr, TruneLanguage language)
{
    return truneText(en, tr, std::nullopt, language);
}
