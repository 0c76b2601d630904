#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// One symbol glyph standing alone in a layout, `edge` pixels square in one colour, as an image
// of a symbol sits beside a text.
class TruneSymbolView final : public QWidget {
    Q_OBJECT

public:
    TruneSymbolView(const QString& symbol, qreal edge, const QColor& color, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    const QColor& color() const { return m_color; }
    // Each setter repaints only when the value differs.
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);
    void setEdge(qreal edge);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    qreal m_edge;
    QColor m_color;
};
