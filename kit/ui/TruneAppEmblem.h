#pragma once

#include "kit/foundation/TruneAppIdentity.h"

#include <QWidget>

// Shows a catalogue entry's emblem in a square of `size` logical pixels, drawn for the widget's
// device pixel ratio. A template emblem is tinted with the palette's text colour from its alpha.
class TruneAppEmblem final : public QWidget {
    Q_OBJECT

public:
    TruneAppEmblem(TruneAppIdentity app, qreal size, bool asTemplate = false, QWidget* parent = nullptr);

    TruneAppIdentity app() const { return m_app; }
    qreal emblemSize() const { return m_size; }
    bool isTemplate() const { return m_asTemplate; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage emblemImage() const;

    TruneAppIdentity m_app;
    qreal m_size;
    bool m_asTemplate;
};
