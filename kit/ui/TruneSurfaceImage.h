#pragma once

#include <QPixmap>

#include <functional>

class QPainter;
class QSize;

// What a widget paints alike on every frame while its size stays the same (a ground, a glass
// panel), drawn once into an image and copied from there. Whatever lies above such a widget
// repaints it beneath on each of its own frames, a scrolled list on every wheel step.
class TruneSurfaceImage final {
public:
    enum class Opacity { opaque, translucent };

    explicit TruneSurfaceImage(Opacity opacity);

    // Copies the image to the painter's origin, first drawing it with `draw` (in the widget's
    // coordinates) when `size` or the pixel density of the painter's device changed since.
    void paint(QPainter& painter, QSize size, const std::function<void(QPainter&)>& draw);
    // Lets the image go, for a widget that is not shown: the next paint draws it again.
    void release() { m_image = QPixmap(); }

private:
    Opacity m_opacity;
    QPixmap m_image;
};
