#include "kit/ui/TruneFont.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

struct TextStyleFont {
    qreal px;
    QFont::Weight weight;
};

TextStyleFont textStyleFont(TruneTextStyle style)
{
    switch (style) {
    case TruneTextStyle::body:
        return {13, QFont::Normal};
    case TruneTextStyle::callout:
        return {12, QFont::Normal};
    case TruneTextStyle::headline:
        return {13, QFont::DemiBold};
    case TruneTextStyle::subheadline:
        return {11, QFont::Normal};
    case TruneTextStyle::caption:
        return {10, QFont::Normal};
    case TruneTextStyle::title2:
        return {17, QFont::Bold};
    case TruneTextStyle::title3:
        return {15, QFont::Normal};
    }
    return {13, QFont::Normal};
}

// Qt turns a point size into pixels with the whole-number logical DPI of the screen a widget is
// on (the primary one for fonts not yet on a widget), so the conversion back uses the same number.
int logicalDpi()
{
    constexpr int standardDpi = 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : standardDpi;
}

} // namespace

QFont truneFont(qreal px, QFont::Weight weight, TruneFontDesign design)
{
    // Rounded has no face of its own here: it shares the default sans with the standard design.
    QFont font = design == TruneFontDesign::monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
    // A pixel size would drop the fraction of 12.5; a point size keeps it.
    font.setPointSizeF(px * 72 / logicalDpi());
    font.setWeight(weight);
    return font;
}

QFont truneFont(TruneTextStyle style, std::optional<QFont::Weight> weight)
{
    const TextStyleFont styleFont = textStyleFont(style);
    return truneFont(styleFont.px, weight.value_or(styleFont.weight));
}
