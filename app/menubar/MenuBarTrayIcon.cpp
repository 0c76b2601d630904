#include "app/menubar/MenuBarTrayIcon.h"

#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

using namespace Qt::StringLiterals;

QIcon menuBarTrayIcon(int badgeCount)
{
    Q_UNUSED(badgeCount);
    return TruneSymbols::icon(u"arrow.triangle.2.circlepath.circle.fill"_s, TruneGlassTokens::textPrimary());
}
