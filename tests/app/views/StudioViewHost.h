#pragma once

#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneProductPalette.h"

#include <QApplication>
#include <QImage>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

// A studio-sized window (1240 x 700 on the deep emerald ground) holding one view where the studio
// would place it: at the top under the header, or docked along the bottom.
class StudioViewHost final {
public:
    enum class Place { top, bottom };

    explicit StudioViewHost(QWidget* view, Place place = Place::top)
        : window(std::make_unique<TruneGroundBackground>(TruneProductPalette::deepEmerald))
    {
        window->resize(1240, 700);
        auto* column = new QVBoxLayout(window.get());
        if (place == Place::top) {
            column->setContentsMargins(24, 24, 24, 24);
            column->addWidget(view);
            column->addStretch(1);
        } else {
            column->setContentsMargins(0, 0, 0, 0);
            column->addStretch(1);
            column->addWidget(view);
        }
        window->show();
    }

    // Lets every pending relayout run (a changed text asks for one through the event queue) and
    // takes the keyboard focus off the first button, so a picture shows the resting look.
    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
        }
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
    }

    std::unique_ptr<TruneGroundBackground> window;
};

// What `widget` paints, on transparency rather than a window's background.
inline QImage renderedAlone(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}
