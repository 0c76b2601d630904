#include "kit/ui/TruneSpinner.h"

#include "kit/ui/TruneAnimations.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int framesPerSecond = 60;
// The part of the circle the bright arc covers.
constexpr qreal arcSpanDegrees = 100;
constexpr qreal trackOpacity = 0.22;

int sideLength(TruneSpinnerSize size)
{
    return size == TruneSpinnerSize::small ? 16 : 20;
}

} // namespace

TruneSpinner::TruneSpinner(TruneSpinnerSize size, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_frameTimer.setInterval(1000 / framesPerSecond);
    connect(&m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void TruneSpinner::setSpinnerSize(TruneSpinnerSize size)
{
    if (size == m_size)
        return;
    m_size = size;
    updateGeometry();
    update();
}

qreal TruneSpinner::angle() const
{
    if (!m_clock.isValid())
        return 0;
    const qint64 period = TruneAnimations::spinnerTurn().durationMs;
    return 360.0 * static_cast<qreal>(m_clock.elapsed() % period) / static_cast<qreal>(period);
}

QSize TruneSpinner::sizeHint() const
{
    return {sideLength(m_size), sideLength(m_size)};
}

QSize TruneSpinner::minimumSizeHint() const
{
    return sizeHint();
}

void TruneSpinner::paintEvent(QPaintEvent*)
{
    const qreal side = std::min(width(), height());
    const qreal lineWidth = side / 8;
    const QRectF circle = QRectF((width() - side) / 2, (height() - side) / 2, side, side)
                              .adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);

    QColor colour = palette().color(foregroundRole());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor track = colour;
    track.setAlphaF(colour.alphaF() * trackOpacity);
    painter.setPen(QPen(track, lineWidth));
    painter.drawEllipse(circle);

    painter.setPen(QPen(colour, lineWidth, Qt::SolidLine, Qt::RoundCap));
    // Qt counts angles from three o'clock, counter-clockwise, in sixteenths of a degree.
    const qreal startDegrees = 90 - angle();
    painter.drawArc(
        circle, static_cast<int>(std::lround(startDegrees * 16)), static_cast<int>(std::lround(-arcSpanDegrees * 16)));
}

void TruneSpinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (TruneAnimations::enabled())
        startTurning();
}

void TruneSpinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    stopTurning();
}

void TruneSpinner::startTurning()
{
    m_clock.start();
    m_frameTimer.start();
}

void TruneSpinner::stopTurning()
{
    m_frameTimer.stop();
    // Shown again, it starts at twelve o'clock, and stands there when animations are off by then.
    m_clock.invalidate();
}
