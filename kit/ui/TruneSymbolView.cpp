#include "kit/ui/TruneSymbolView.h"

#include "kit/ui/TruneSymbols.h"

#include <QPainter>

TruneSymbolView::TruneSymbolView(const QString& symbol, qreal edge, const QColor& color, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_edge(edge)
    , m_color(color)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TruneSymbolView::setSymbol(const QString& symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void TruneSymbolView::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TruneSymbolView::setEdge(qreal edge)
{
    if (edge == m_edge)
        return;
    m_edge = edge;
    updateGeometry();
    update();
}

QSize TruneSymbolView::sizeHint() const
{
    const int edge = qCeil(m_edge);
    return {edge, edge};
}

void TruneSymbolView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TruneSymbols::paint(painter, QRectF(rect()), m_symbol, m_color);
}
