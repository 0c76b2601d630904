#include "kit/foundation/TruneFileError.h"

#include "kit/platform/TrunePlatform.h"

TruneFileError TruneFileError::fromErrno(const QString& path, int errnoValue)
{
    return {path, errnoValue, TrunePlatform::systemErrorText(errnoValue)};
}

QString TruneFileError::description() const
{
    return message + QStringLiteral(": ") + path;
}
