#pragma once

#include <QFont>

#include <optional>

enum class TruneFontDesign { standard, monospaced, rounded };

// The text styles of the design, in device-independent pixels.
enum class TruneTextStyle { body, callout, headline, subheadline, caption, title2, title3 };

// A font `px` device-independent pixels tall, whatever the screen's logical DPI. The font keeps
// a fraction such as 12.5; Qt's font engines draw it at the nearest whole pixel size.
QFont truneFont(qreal px, QFont::Weight weight = QFont::Normal, TruneFontDesign design = TruneFontDesign::standard);

// The style's size and weight; `weight` replaces the style's own weight when given.
QFont truneFont(TruneTextStyle style, std::optional<QFont::Weight> weight = std::nullopt);
