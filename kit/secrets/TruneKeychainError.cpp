#include "kit/secrets/TruneKeychainError.h"

#include "kit/localization/TruneText.h"

#include <charconv>

namespace {

QString decimal(int value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return QString::fromLatin1(digits, end - digits);
}

} // namespace

QString TruneKeychainError::description(TruneLanguage language) const
{
    const QString reason = QStringLiteral(" (") + domain + QLatin1Char(' ') + decimal(status) + QStringLiteral(").");
    return truneText(QStringLiteral("The secret could not be stored in the keychain") + reason,
                     QStringLiteral("Gizli bilgi anahtar zincirine kaydedilemedi") + reason, language);
}
