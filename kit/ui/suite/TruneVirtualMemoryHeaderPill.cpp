#include "kit/ui/suite/TruneVirtualMemoryHeaderPill.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "kit/ui/suite/TruneSuiteCommandDelivery.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 9;
constexpr qreal verticalPadding = 4;
constexpr qreal spacing = 5;
constexpr qreal dotSide = 6;
constexpr double fillOpacity = 0.2;
constexpr double borderOpacity = 0.45;

QFont symbolFont()
{
    return truneFont(10, QFont::DemiBold);
}

QFont titleFont()
{
    return truneFont(11, QFont::DemiBold, TruneFontDesign::monospaced);
}

qreal symbolSide()
{
    return std::round(QFontMetricsF(symbolFont()).ascent());
}

} // namespace

TruneVirtualMemoryHeaderPill::TruneVirtualMemoryHeaderPill(
    const TruneVirtualMemorySummary& summary, TruneLanguage language, std::function<void()> onTap, QWidget* parent)
    : QAbstractButton(parent)
    , m_summary(summary)
    , m_language(language)
    , m_onTap(std::move(onTap))
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(titleFont());
    setText(title(m_summary, m_language));
    setToolTip(helpText(m_language));
    setAccessibleName(text());
    setAccessibleDescription(toolTip());
    connect(this, &QAbstractButton::clicked, this, &TruneVirtualMemoryHeaderPill::activate);
}

void TruneVirtualMemoryHeaderPill::setSummary(const TruneVirtualMemorySummary& summary)
{
    if (summary == m_summary)
        return;
    m_summary = summary;
    const QString newTitle = title(m_summary, m_language);
    if (newTitle != text()) {
        setText(newTitle);
        setAccessibleName(newTitle);
        updateGeometry();
    }
    update();
}

QColor TruneVirtualMemoryHeaderPill::tint(const TruneVirtualMemorySummary& summary)
{
    if (summary.pressureLevel == u"critical"_s)
        return TruneGlassTokens::danger();
    if (summary.isLumbraVirtualExpansionActive())
        return TruneSuiteAccents::lumbraViolet();
    if (summary.pressureLevel == u"warning"_s)
        return TruneGlassTokens::warning();
    return TruneSuiteAccents::vantorCyan();
}

QString TruneVirtualMemoryHeaderPill::symbolName(const TruneVirtualMemorySummary& summary)
{
    return summary.isLumbraVirtualExpansionActive() ? u"externaldrive.badge.timemachine"_s : u"memorychip"_s;
}

QString TruneVirtualMemoryHeaderPill::title(const TruneVirtualMemorySummary& summary, TruneLanguage language)
{
    const QString badge = summary.compactBadgeText();
    const QString prefix = truneText(u"VM"_s, u"Sanal Bellek"_s, language);
    return badge.isEmpty() ? prefix + u" ON"_s : prefix + u": "_s + badge;
}

QString TruneVirtualMemoryHeaderPill::helpText(TruneLanguage language)
{
    return truneText(u"Virtual Memory active — click to open Lumbra"_s,
        u"Sanal Bellek aktif — Lumbra ile yönetmek için tıklayın"_s, language);
}

QSize TruneVirtualMemoryHeaderPill::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width
        = 2 * horizontalPadding + dotSide + spacing + symbolSide() + spacing + metrics.horizontalAdvance(text());
    const qreal height = 2 * verticalPadding + std::max(metrics.height(), symbolSide());
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize TruneVirtualMemoryHeaderPill::minimumSizeHint() const
{
    return sizeHint();
}

bool TruneVirtualMemoryHeaderPill::hitButton(const QPoint& pos) const
{
    return TruneGlassShapes::capsule(QRectF(rect())).contains(QPointF(pos));
}

void TruneVirtualMemoryHeaderPill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.78);
    const QRectF bounds(rect());
    const QColor color = tint(m_summary);
    TruneGlassShapes::paintGlassShape(painter, bounds, TruneGlassShapes::capsuleRadius,
        truneWithOpacity(color, fillOpacity), truneWithOpacity(color, borderOpacity));

    const qreal centreY = bounds.center().y();
    qreal left = bounds.left() + horizontalPadding;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(left, centreY - dotSide / 2, dotSide, dotSide));
    left += dotSide + spacing;

    const qreal side = symbolSide();
    TruneSymbols::paint(painter, QRectF(left, centreY - side / 2, side, side), symbolName(m_summary), color);
    left += side + spacing;

    const QFontMetricsF metrics(font());
    const QRectF titleRect(left, bounds.top(), bounds.right() - horizontalPadding - left, bounds.height());
    painter.setFont(font());
    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        metrics.elidedText(text(), Qt::ElideRight, titleRect.width() + 0.5));
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(
            painter, bounds, TruneGlassShapes::capsuleRadius, TruneGlassTokens::textPrimary());
}

void TruneVirtualMemoryHeaderPill::activate()
{
    if (m_onTap) {
        m_onTap();
        return;
    }
    TruneSuiteCommandDelivery::launch(TruneSuiteApp::lumbra);
}
