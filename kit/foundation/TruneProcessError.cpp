#include "kit/foundation/TruneProcessError.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

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
    }
    return {};
}
