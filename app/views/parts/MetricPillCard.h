#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A wide card with an icon tile, a large value and a small one-line title, for the summary
// figures at the top of a screen. It takes the width its parent offers.
class MetricPillCard final : public QWidget {
    Q_OBJECT

public:
    MetricPillCard(
        const QString& title, const QString& value, const QString& icon, const QColor& tint, QWidget* parent = nullptr);

    // Each setter repaints only when the value differs.
    void setTitle(const QString& title);
    void setValue(const QString& value);
    void setTint(const QColor& tint);

    const QString& title() const { return m_title; }
    const QString& value() const { return m_value; }
    const QColor& tint() const { return m_tint; }

    // The title as painted at the current width: one line, shortened with an ellipsis.
    QString displayedTitle() const;
    // How many lines the value takes at the current width.
    int valueLineCount() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Layout {
        QRectF iconTile;
        QRectF value;
        QRectF title;
        qreal height = 0;
    };
    // Where the parts lie in a card `width` wide.
    Layout layoutFor(qreal width) const;
    void contentChanged();

    QString m_title;
    QString m_value;
    QString m_icon;
    QColor m_tint;
};
