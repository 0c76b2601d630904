#pragma once

#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/TruneSurfaceImage.h"

#include <QWidget>

// A window's ground: the palette's dark diagonal gradient from the top-left corner to the
// bottom-right one, with a soft white glow in the top-left corner, drawn once per size.
class TruneGroundBackground final : public QWidget {
    Q_OBJECT

public:
    explicit TruneGroundBackground(TruneProductPalette palette, QWidget* parent = nullptr);

    // Not palette(): that is QWidget's colour palette, which the ground's children inherit.
    TruneProductPalette productPalette() const { return m_palette; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TruneProductPalette m_palette;
    TruneSurfaceImage m_image{TruneSurfaceImage::Opacity::opaque};
};
