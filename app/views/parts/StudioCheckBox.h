#pragma once

#include <QCheckBox>
#include <QColor>

// A check box drawn as the studio's list rows draw their ticks: a filled square with a tick in the
// accent colour when checked, an empty muted square otherwise, then the text in the primary colour.
class StudioCheckBox final : public QCheckBox {
    Q_OBJECT

public:
    explicit StudioCheckBox(const QColor& accent, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QColor m_accent;
};
