#include "kit/secrets/TruneKeychainError.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

QString TruneKeychainError::description(TruneLanguage language) const
{
    const QString reason
        = QStringLiteral(" (") + domain + QLatin1Char(' ') + truneDecimal(status) + QStringLiteral(").");
    return truneText(QStringLiteral("The secret could not be stored in the keychain") + reason,
        QStringLiteral("Gizli bilgi anahtar zincirine kaydedilemedi") + reason, language);
}
