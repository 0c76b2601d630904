#pragma once

#include <QEasingCurve>
#include <QVariant>

class QVariantAnimation;

// One named timing of the kit: how long a change takes and how it eases.
struct TruneAnimation {
    int durationMs = 0;
    QEasingCurve curve;

    bool operator==(const TruneAnimation&) const = default;
};

// The one switch for the kit's animations: tests turn them off so every state is painted at once.
namespace TruneAnimations {

bool enabled();
void setEnabled(bool enabled);

// A button's pressed look coming and going: ease-out, 0.12 s.
TruneAnimation press();
// A control's hover look coming and going: ease-out, 0.12 s.
TruneAnimation hover();
// Layers sliding in and out of a window (toast, console drawer): ease-in-out, 0.2 s.
TruneAnimation layer();
// One full turn of a spinner: linear, 1 s.
TruneAnimation spinnerTurn();

// Animates from the animation's current value (the end value when it has none yet) to `end` with
// `timing`. With animations off it reaches `end` at once: valueChanged and finished are emitted
// before this returns.
void run(QVariantAnimation& animation, const TruneAnimation& timing, const QVariant& end);

} // namespace TruneAnimations
