#pragma once

#include <QAbstractButton>
#include <QColor>

class QVariantAnimation;
class UpdateHoverState;

// One filter chip of the Apps tab: its title on a capsule that is tinted with the accent while
// the chip is active and lit faintly while the pointer is over it (easing out over 0.12 s).
class FilterChipButton final : public QAbstractButton {
    Q_OBJECT

public:
    FilterChipButton(const QString& title, const QColor& accent, QWidget* parent = nullptr);

    bool isActive() const { return m_isActive; }
    void setActive(bool isActive);
    // Changes the title only when it differs.
    void setTitle(const QString& title);

    const UpdateHoverState& hover() const { return *m_hover; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyFont();

    QColor m_accent;
    bool m_isActive = false;
    UpdateHoverState* m_hover;
    QVariantAnimation* m_hoverAnimation;
    qreal m_hoverProgress = 0; // 0 away, 1 hovered
};
