#pragma once

#include <QObject>

class QWidget;

// Whether the pointer is over a button-like view. It watches its owner's enter and leave events
// and repaints the owner when the flag changes; looks that depend on it ease out over 0.12 s.
class UpdateHoverState final : public QObject {
    Q_OBJECT

public:
    explicit UpdateHoverState(QWidget* owner);

    bool isHovered() const { return m_isHovered; }

signals:
    void hoveredChanged(bool isHovered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHovered(bool hovered);

    QWidget* m_owner;
    bool m_isHovered = false;
};
