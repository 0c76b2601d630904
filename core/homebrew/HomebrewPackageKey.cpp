#include "core/homebrew/HomebrewPackageKey.h"

QString homebrewPackageKey(QStringView name, bool isCask)
{
    QString key = isCask ? QStringLiteral("cask::") : QStringLiteral("formula::");
    return key.append(name.trimmed().toString().toLower());
}
