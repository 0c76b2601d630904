#pragma once

#include "kit/localization/TruneLanguage.h"

#include <Qt>

class QWidget;

// Right-to-left for Arabic, Persian and Hebrew; left-to-right for every other language.
Qt::LayoutDirection truneLayoutDirection(TruneLanguage language);

// Gives `root` and every child that has no locale of its own the language's locale.
void truneLocaleEnvironment(QWidget& root, TruneLanguage language);

// Lays out `root` and every child that has no direction of its own in the language's direction.
void truneContentLayoutDirection(QWidget& root, TruneLanguage language);
