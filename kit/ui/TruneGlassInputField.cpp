#include "kit/ui/TruneGlassInputField.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QLineEdit>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int borderWidth = 1;

QString cssColor(const QColor& color)
{
    return u"rgba(%1, %2, %3, %4)"_s.arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alpha());
}

// The border takes its width from the padding, so the text sits exactly the padding away from the
// field's outer edge.
int paddingInsideBorder(double padding)
{
    return std::max(0, qRound(padding) - borderWidth);
}

} // namespace

void truneGlassInputField(QLineEdit& field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    field.setFont(truneFont(12.5));
    field.setFrame(false);
    field.setStyleSheet(u"QLineEdit { background-color: %1; color: %2; border: %3px solid %4; border-radius: %5px;"
                        " padding: %6px %7px; }"_s.arg(cssColor(TruneGlassTokens::surface2()))
                            .arg(cssColor(TruneGlassTokens::textPrimary()))
                            .arg(borderWidth)
                            .arg(cssColor(TruneGlassTokens::borderSubtle()))
                            .arg(cornerRadius)
                            .arg(paddingInsideBorder(verticalPadding))
                            .arg(paddingInsideBorder(horizontalPadding)));
}
