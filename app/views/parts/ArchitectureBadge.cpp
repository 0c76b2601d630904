#include "app/views/parts/ArchitectureBadge.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 5.5;
constexpr qreal verticalPadding = 2;
constexpr qreal cornerRadius = 4.5;

QFont tagFont()
{
    return truneFont(9.5, QFont::Medium, TruneFontDesign::monospaced);
}

} // namespace

ArchitectureBadge::ArchitectureBadge(AppArchitecture architecture, QWidget* parent)
    : QWidget(parent)
    , m_architecture(architecture)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(look(architecture).text);
}

void ArchitectureBadge::setArchitecture(AppArchitecture architecture)
{
    if (architecture == m_architecture)
        return;
    m_architecture = architecture;
    setAccessibleName(look(architecture).text);
    updateGeometry();
    update();
}

ArchitectureBadge::Look ArchitectureBadge::look(AppArchitecture architecture)
{
    switch (architecture) {
    case AppArchitecture::appleSilicon:
        return {u"ARM64"_s, TruneGlassTokens::textSecondary()};
    case AppArchitecture::intel:
        return {u"x86_64"_s, truneWithOpacity(TruneGlassTokens::warning(), 0.9)};
    case AppArchitecture::universal:
        return {u"UNIV"_s, TruneGlassTokens::textSecondary()};
    case AppArchitecture::unknown:
        break;
    }
    return {u"—"_s, TruneGlassTokens::textMuted()};
}

QSizeF ArchitectureBadge::badgeSize(AppArchitecture architecture)
{
    const QFontMetricsF metrics(tagFont());
    return {horizontalPadding * 2 + std::ceil(metrics.horizontalAdvance(look(architecture).text)),
        verticalPadding * 2 + std::ceil(metrics.height())};
}

void ArchitectureBadge::paint(QPainter& painter, const QPointF& topLeft, AppArchitecture architecture)
{
    const Look tag = look(architecture);
    const QRectF frame(topLeft, badgeSize(architecture));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::roundedRect(frame, cornerRadius), truneColor(0xFFFFFF, 0.05));
    painter.setFont(tagFont());
    painter.setPen(tag.color);
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine, tag.text);
    painter.restore();
}

QSize ArchitectureBadge::sizeHint() const
{
    const QSizeF size = badgeSize(m_architecture);
    return {qCeil(size.width()), qCeil(size.height())};
}

void ArchitectureBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, {0, 0}, m_architecture);
}
