#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

enum class TruneSpinnerSize {
    small,   // 16 x 16
    regular, // 20 x 20
};

// A small indeterminate progress indicator: an arc that turns over a faint ring, in the widget's
// foreground colour (QPalette::WindowText unless the foreground role is changed). It turns only
// while it is shown and the kit's animations were on when it was shown; otherwise it stands still
// with the arc starting at twelve o'clock.
class TruneSpinner final : public QWidget {
    Q_OBJECT

public:
    explicit TruneSpinner(TruneSpinnerSize size = TruneSpinnerSize::small, QWidget* parent = nullptr);

    TruneSpinnerSize spinnerSize() const { return m_size; }
    void setSpinnerSize(TruneSpinnerSize size);

    bool isTurning() const { return m_frameTimer.isActive(); }
    // Where the arc starts, in degrees clockwise from twelve o'clock.
    qreal angle() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startTurning();
    void stopTurning();

    TruneSpinnerSize m_size;
    QTimer m_frameTimer;
    QElapsedTimer m_clock;
};
