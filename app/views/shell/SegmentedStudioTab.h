#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

class QVariantAnimation;
class UpdateHoverState;

// One segment of the studio's tab bar: a symbol, a title and, from 1 up, a count on a capsule.
// The active segment lies on a light plate with its symbol in the accent colour; an inactive one
// brightens and gets a faint plate while the pointer is over it (easing out over 0.12 s).
class SegmentedStudioTab final : public QAbstractButton {
    Q_OBJECT

public:
    SegmentedStudioTab(const QString& icon, const QString& title, const QColor& accent, QWidget* parent = nullptr);

    const QString& icon() const { return m_icon; }
    int badgeCount() const { return m_badgeCount; }
    bool isActive() const { return m_isActive; }
    const UpdateHoverState& hover() const { return *m_hover; }
    // The count as the badge shows it; empty when no badge shows.
    QString badgeText() const;

    // Each setter repaints only when the value differs.
    void setTitle(const QString& title);
    void setBadgeCount(int count);
    void setActive(bool active);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The colours the segment paints now, for tests of its looks.
    struct Look {
        QColor icon;
        QColor title;
        QColor plate;
        QColor badgeText;
        QColor badgeFill;
    };
    Look look() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();

    QString m_icon;
    QColor m_accent;
    int m_badgeCount = 0;
    bool m_isActive = false;
    UpdateHoverState* m_hover;
    QVariantAnimation* m_hoverAnimation;
    qreal m_hoverProgress = 0;
};
