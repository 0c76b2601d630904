#include "kit/ui/TruneToastBanner.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 16;
constexpr qreal verticalPadding = 10;
constexpr qreal symbolSpacing = 8;
constexpr qreal symbolSide = 14;
constexpr double capsuleOpacity = 0.84;
constexpr double shadowOpacity = 0.35;
constexpr qreal shadowRadius = 12;
constexpr qreal shadowOffsetY = 4;

// Room around the capsule so its shadow is never cut off.
const QMargins shadowRoom{qRound(shadowRadius), qRound(shadowRadius - shadowOffsetY), qRound(shadowRadius),
    qRound(shadowRadius + shadowOffsetY)};

QRectF symbolRectIn(const QRectF& capsule)
{
    return {capsule.left() + horizontalPadding, capsule.center().y() - symbolSide / 2, symbolSide, symbolSide};
}

// The capsule with everything on it. It carries the shadow effect, so the widget's margin
// stays clear for the shadow. The message is painted, never read as markup, and elided when the
// capsule is narrower than it.
class ToastCapsule final : public QWidget {
public:
    explicit ToastCapsule(TruneToastBanner& banner)
        : QWidget(&banner)
        , m_banner(banner)
    {
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(truneColor(0x000000, shadowOpacity));
        shadow->setBlurRadius(shadowRadius);
        shadow->setOffset(0, shadowOffsetY);
        setGraphicsEffect(shadow);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        TruneGlassShapes::paintGlassShape(painter, bounds, TruneGlassShapes::capsuleRadius,
            truneColor(0x000000, capsuleOpacity), TruneGlassTokens::borderSubtle());
        const TruneToastBanner::Symbol shown = TruneToastBanner::symbol(m_banner.isError());
        const QRectF symbolRect = symbolRectIn(bounds);
        TruneSymbols::paint(painter, symbolRect, shown.name, shown.color);

        const qreal textLeft = symbolRect.right() + symbolSpacing;
        const QRectF textRect(
            textLeft, bounds.top(), std::max<qreal>(0, bounds.right() - horizontalPadding - textLeft), bounds.height());
        painter.setFont(m_banner.font());
        painter.setPen(Qt::white);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            QFontMetricsF(m_banner.font()).elidedText(m_banner.message(), Qt::ElideRight, textRect.width()));
    }

private:
    const TruneToastBanner& m_banner;
};

} // namespace

TruneToastBanner::TruneToastBanner(const QString& message, bool isError, QWidget* parent)
    : QWidget(parent)
    , m_message(message)
    , m_isError(isError)
{
    setFont(truneFont(TruneTextStyle::callout, QFont::Medium));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(message);
    m_capsule = new ToastCapsule(*this);
}

TruneToastBanner::Symbol TruneToastBanner::symbol(bool isError)
{
    if (isError)
        return {u"exclamationmark.triangle.fill"_s, TruneGlassTokens::warning()};
    return {u"checkmark.circle.fill"_s, TruneGlassTokens::success()};
}

QRectF TruneToastBanner::capsuleRect() const
{
    return QRectF(rect().marginsRemoved(shadowRoom));
}

QRectF TruneToastBanner::symbolRect() const
{
    return symbolRectIn(capsuleRect());
}

QSize TruneToastBanner::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width = 2 * horizontalPadding + symbolSide + symbolSpacing + metrics.horizontalAdvance(m_message);
    const qreal height = 2 * verticalPadding + std::max(symbolSide, metrics.height());
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))).grownBy(shadowRoom);
}

QSize TruneToastBanner::minimumSizeHint() const
{
    const qreal width = 2 * horizontalPadding + symbolSide;
    return QSize(static_cast<int>(std::ceil(width)), sizeHint().height() - shadowRoom.top() - shadowRoom.bottom())
        .grownBy(shadowRoom);
}

void TruneToastBanner::resizeEvent(QResizeEvent*)
{
    m_capsule->setGeometry(capsuleRect().toRect());
}
