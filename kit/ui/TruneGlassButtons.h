#pragma once

#include <QAbstractButton>
#include <QString>

class QPainter;

class QVariantAnimation;

// The two button looks of the glass design. Both show their text on one line (elided when the
// button is narrower than the text), size themselves to it, react to presses only inside their
// rounded shape and show a ring while they have the keyboard focus. A disabled one is drawn faded.

// The main action: an opaque white rounded rectangle with dark text. While held it dims and
// shrinks to 98 % about its centre, easing out over 0.12 s (at once when animations are off).
class TrunePrimaryButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit TrunePrimaryButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // 0 at rest, 1 fully pressed; between while the press animates.
    qreal pressProgress() const { return m_pressProgress; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void followDownState();

    QVariantAnimation* m_pressAnimation;
    qreal m_pressProgress = 0;
    bool m_shownDown = false;
};

// A translucent chip for secondary actions; an active chip (a selected filter ...) is brighter.
// While held it is drawn at 78 % opacity. A symbol, when set, stands before the text (or alone,
// without text), as tall as the text.
class TruneGlassButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit TruneGlassButton(const QString& text, bool isActive = false, QWidget* parent = nullptr);

    bool isActive() const { return m_isActive; }
    void setActive(bool isActive);

    const QString& symbol() const { return m_symbol; }
    void setSymbol(const QString& symbolName);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    bool m_isActive;
    QString m_symbol;
};

// The glass chip's look, for buttons of other kinds that wear it.
namespace TruneGlassButtonLook {

QSize sizeHint(const QAbstractButton& button, const QString& symbol);
bool hitButton(const QAbstractButton& button, const QPoint& pos);
void paint(QPainter& painter, const QAbstractButton& button, bool isActive, const QString& symbol);

} // namespace TruneGlassButtonLook
