#pragma once

#include <QFont>

#include <optional>

enum class TruneFontDesign { standard, monospaced, rounded };

// The text styles of the design, in device-independent pixels.
enum class TruneTextStyle { body, callout, headline, subheadline, caption, title2, title3 };

// A font `px` device-independent pixels tall (fractions allowed: 12.5), whatever the screen's
// logical DPI.
QFont truneFont(qreal px, QFont::Weight weight = QFont::Normal, TruneFontDesign design = TruneFontDesign::standard);

// The style's size and weight; `weight` replaces the style's own weight when given.
QFont truneFont(TruneTextStyle style, std::optional<QFont::Weight> weight = std::nullopt);
