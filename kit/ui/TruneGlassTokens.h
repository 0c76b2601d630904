#pragma once

#include <QColor>

// Colours of the kit's glass design system. Each token is created once, on first use.
namespace TruneGlassTokens {

const QColor& textSecondary(); // white at 72 %
const QColor& surface2();      // white at 10 %
const QColor& borderSubtle();  // white at 14 %

} // namespace TruneGlassTokens
