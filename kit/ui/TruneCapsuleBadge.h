#pragma once

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QWidget>

class QPainter;

// How a capsule badge looks: a symbol and a text side by side on one line, centred on a capsule.
// A transparent fill and no border leave the bare symbol and text.
struct TruneCapsuleStyle {
    QFont font{};
    QColor content{}; // the text, and the symbol unless symbolColor is set
    QColor fill = Qt::transparent;
    QColor border = Qt::transparent; // 1 px inside the edge
    qreal horizontalPadding = 6;
    qreal verticalPadding = 2;
    qreal spacing = 5;         // between the symbol and the text
    qreal symbolPointSize = 0; // 0: the symbol is sized by `font`
    QColor symbolColor{};      // invalid: `content`

    bool operator==(const TruneCapsuleStyle&) const = default;
};

namespace TruneCapsuleLook {

// The size that shows the symbol (when not empty) and the whole text.
QSizeF sizeHint(const TruneCapsuleStyle& style, const QString& symbol, const QString& text);

// Paints the capsule filling `rect` and its content centred in it; a text that does not fit is
// shortened with an ellipsis at the end.
void paint(
    QPainter& painter, const QRectF& rect, const TruneCapsuleStyle& style, const QString& symbol, const QString& text);

} // namespace TruneCapsuleLook

// A badge, tag or step pill of the suite widgets. It keeps its ideal size unless its size policy
// lets it stretch, in which case the content stays centred. Outside texts are shown as written.
class TruneCapsuleBadge final : public QWidget {
    Q_OBJECT

public:
    TruneCapsuleBadge(
        const TruneCapsuleStyle& style, const QString& symbol, const QString& text, QWidget* parent = nullptr);

    const TruneCapsuleStyle& capsuleStyle() const { return m_style; }
    void setCapsuleStyle(const TruneCapsuleStyle& style);
    const QString& symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    const QString& text() const { return m_text; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TruneCapsuleStyle m_style;
    QString m_symbol;
    QString m_text;
};
