#pragma once

#include "kit/ui/TruneProductPalette.h"

#include <QColor>
#include <QString>

class QWidget;

// An sRGB colour from a packed 0xRRGGBB value (bits 24-31 are ignored) at the given opacity.
// QColor cannot hold an opacity outside 0...1, so one outside is clamped.
QColor truneColor(quint32 hex, double opacity = 1.0);

// `color` with its own opacity multiplied by `opacity` (a translucent token made fainter still).
QColor truneWithOpacity(QColor color, double opacity);

// `color` as a style sheet writes it: "rgba(red, green, blue, opacity)".
QString truneCssColor(const QColor& color);

// Colours of the kit's glass design system, drawn over a palette's ground. Each token is created
// once, on first use, and may be read from any thread.
namespace TruneGlassTokens {

const QColor& surface1();      // white at 6 %: glass cards
const QColor& surface2();      // white at 10 %: resting glass buttons, input fields
const QColor& surface3();      // white at 16 %: active glass buttons
const QColor& borderSubtle();  // white at 14 %
const QColor& borderStrong();  // white at 28 %
const QColor& textPrimary();   // white at 96 %
const QColor& textSecondary(); // white at 72 %
const QColor& textMuted();     // white at 50 %
const QColor& success();       // 62, 230, 168
const QColor& warning();       // 255, 184, 77: warnings and errors
const QColor& danger();        // 255, 100, 124

} // namespace TruneGlassTokens

// Gives the standard controls under `root` (check boxes, combo boxes, scroll bars, text fields)
// the glass colours over `palette`'s ground instead of the platform's light theme: light text,
// fields in the ground's own middle colour and the palette's accent for selections.
void truneApplyGlassPalette(QWidget& root, TruneProductPalette palette);
