#include "kit/foundation/TruneProcessError.h"

#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

using namespace Qt::StringLiterals;

TruneProcessError TruneProcessError::binaryNotFound(const QString& name)
{
    TruneProcessError error;
    error.errorCase = Case::binaryNotFound;
    error.name = name;
    return error;
}

TruneProcessError TruneProcessError::nonZeroExit(int code, const QString& stderr)
{
    TruneProcessError error;
    error.errorCase = Case::nonZeroExit;
    error.code = code;
    error.stderr = stderr;
    return error;
}

TruneProcessError TruneProcessError::cancelled()
{
    return {};
}

TruneProcessError TruneProcessError::nulCharacter(const QString& name)
{
    TruneProcessError error;
    error.errorCase = Case::nulCharacter;
    error.name = name;
    return error;
}

TruneProcessError TruneProcessError::outputTooLarge(const QString& name, qint64 limit)
{
    TruneProcessError error;
    error.errorCase = Case::outputTooLarge;
    error.name = name;
    error.limit = limit;
    return error;
}

QString TruneProcessError::description(TruneLanguage language) const
{
    switch (errorCase) {
    case Case::binaryNotFound:
        return truneText(QStringLiteral("Required executable '") + name + QStringLiteral("' was not found."),
            QStringLiteral("Gerekli '") + name + QStringLiteral("' aracı bulunamadı."), language);
    case Case::nonZeroExit: {
        const QString message = stderr.trimmed();
        if (!message.isEmpty())
            return message;
        return QStringLiteral("Process exited with code ") + truneDecimal(code) + QStringLiteral(".");
    }
    case Case::cancelled:
        return truneText(QStringLiteral("Operation cancelled."), QStringLiteral("İşlem iptal edildi."), language);
    case Case::nulCharacter:
        return truneText(
            u"'"_s + name + u"' was not started: an argument, environment entry or path holds a NUL character."_s,
            u"'"_s + name + u"' başlatılmadı: bir argüman, ortam değişkeni ya da yol NUL karakteri içeriyor."_s,
            language);
    case Case::outputTooLarge: {
        const QString size = TruneByteFormatter::format(limit);
        return truneText(u"'"_s + name + u"' was stopped: its output passed the limit of "_s + size + u"."_s,
            u"'"_s + name + u"' durduruldu: çıktısı "_s + size + u" sınırını aştı."_s, language);
    }
    }
    return {};
}
