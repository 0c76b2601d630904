#include "kit/ui/TruneApplicationStyle.h"

#include "kit/ui/TruneGlassTokens.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>

#include <array>

namespace {

// The emerald ground's darkest tone, opaque: menus and dialogs are windows of their own.
constexpr quint32 popupGround = 0x0F2C2A;

// Flattens a translucent glass token onto the opaque ground.
QColor over(const QColor& glass, const QColor& ground)
{
    const double alpha = glass.alphaF();
    return QColor::fromRgbF(float(glass.redF() * alpha + ground.redF() * (1 - alpha)),
        float(glass.greenF() * alpha + ground.greenF() * (1 - alpha)),
        float(glass.blueF() * alpha + ground.blueF() * (1 - alpha)));
}

// The classes that appear outside the glass ground (the private ones by their class names).
constexpr std::array styledClasses{
    "QMenuBar",
    "QMenu",
    "QScrollBar",
    "QMessageBox",
    "QComboBoxPrivateContainer",
    "QComboBoxListView",
};

} // namespace

QPalette truneStudioApplicationPalette()
{
    const QColor ground = truneColor(popupGround);
    const QColor primary = over(TruneGlassTokens::textPrimary(), ground);
    const QColor muted = over(TruneGlassTokens::textMuted(), ground);
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? muted : primary;
        palette.setColor(group, QPalette::Window, ground);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, over(TruneGlassTokens::surface1(), ground));
        palette.setColor(group, QPalette::AlternateBase, over(TruneGlassTokens::surface2(), ground));
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::PlaceholderText, muted);
        palette.setColor(group, QPalette::Button, over(TruneGlassTokens::surface2(), ground));
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, primary);
        palette.setColor(group, QPalette::Light, over(TruneGlassTokens::borderStrong(), ground));
        palette.setColor(group, QPalette::Midlight, over(TruneGlassTokens::surface3(), ground));
        palette.setColor(group, QPalette::Mid, over(TruneGlassTokens::borderSubtle(), ground));
        palette.setColor(group, QPalette::Dark, ground.darker(140));
        palette.setColor(group, QPalette::Shadow, truneColor(0x000000, 0.6));
        palette.setColor(group, QPalette::Highlight, over(TruneGlassTokens::surface3(), ground).lighter(130));
        palette.setColor(group, QPalette::HighlightedText, primary);
        palette.setColor(group, QPalette::ToolTipBase, ground);
        palette.setColor(group, QPalette::ToolTipText, primary);
        palette.setColor(group, QPalette::Link, TruneGlassTokens::success());
    }
    return palette;
}

void truneApplyStudioApplicationStyle()
{
    const QPalette palette = truneStudioApplicationPalette();
    for (const char* className : styledClasses)
        QApplication::setPalette(palette, className);
    QToolTip::setPalette(palette);
}
