#include "kit/ui/TruneFont.h"

#include <QFontDatabase>

QFont truneFont(qreal px, QFont::Weight weight, TruneFontDesign design)
{
    QFont font = design == TruneFontDesign::monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    font.setPixelSize(qRound(px));
    font.setWeight(weight);
    return font;
}

QFont truneFont(TruneTextStyle, std::optional<QFont::Weight> weight)
{
    return truneFont(13, weight.value_or(QFont::Normal));
}
