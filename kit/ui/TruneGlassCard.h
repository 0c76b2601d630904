#pragma once

#include "kit/ui/TruneSurfaceImage.h"

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

// A glass panel: its content padded on every edge, on a rounded rectangle filled with the
// translucent card surface and outlined by a hairline border inside its edge, drawn once per size.
class TruneGlassCard final : public QWidget {
    Q_OBJECT

public:
    TruneGlassCard(qreal padding, qreal cornerRadius, QWidget* parent = nullptr);

    qreal padding() const { return m_padding; }
    qreal cornerRadius() const { return m_cornerRadius; }

    // Replaces the content (the card owns it); nullptr leaves the card empty.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    qreal m_padding;
    qreal m_cornerRadius;
    QVBoxLayout* m_layout;
    QPointer<QWidget> m_content;
    TruneSurfaceImage m_image{TruneSurfaceImage::Opacity::translucent};
};
