#include "kit/foundation/TruneBookmarkError.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TrunePlatform.h"

TruneBookmarkError TruneBookmarkError::notAFileURL(const QUrl& url)
{
    return {Case::notAFileURL, url.toString(), 0};
}

TruneBookmarkError TruneBookmarkError::unreachable(const QString& path, int errnoValue)
{
    return {Case::unreachable, path, errnoValue};
}

QString TruneBookmarkError::description(TruneLanguage language) const
{
    const QString quoted = QLatin1Char('\'') + location + QLatin1Char('\'');
    switch (errorCase) {
    case Case::notAFileURL:
        return truneText(QStringLiteral("Only files and folders can be bookmarked, not ") + quoted + QLatin1Char('.'),
            QStringLiteral("Yalnızca dosya ve klasörler yer imine eklenebilir; ") + quoted
                + QStringLiteral(" eklenemez."),
            language);
    case Case::unreachable: {
        const QString reason = QStringLiteral(": ") + TrunePlatform::systemErrorText(code);
        return truneText(QStringLiteral("No bookmark could be created for ") + quoted + reason,
            quoted + QStringLiteral(" için yer imi oluşturulamadı") + reason, language);
    }
    }
    return {};
}
