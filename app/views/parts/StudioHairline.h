#pragma once

#include <QColor>
#include <QWidget>

// A horizontal line across the full width, `thickness` high (a fraction of a pixel is drawn
// faintly, as a hairline), in `color`: the dividers of the studio's cards and the popover.
class StudioHairline final : public QWidget {
    Q_OBJECT

public:
    StudioHairline(const QColor& color, qreal thickness, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    qreal m_thickness;
};
