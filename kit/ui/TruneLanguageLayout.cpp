#include "kit/ui/TruneLanguageLayout.h"

#include <QWidget>

Qt::LayoutDirection truneLayoutDirection(TruneLanguage language)
{
    return language.isRTL() ? Qt::RightToLeft : Qt::LeftToRight;
}

void truneLocaleEnvironment(QWidget& root, TruneLanguage language)
{
    root.setLocale(language.locale());
}

void truneContentLayoutDirection(QWidget& root, TruneLanguage language)
{
    root.setLayoutDirection(truneLayoutDirection(language));
}
