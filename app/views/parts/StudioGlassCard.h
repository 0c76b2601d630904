#pragma once

#include <QtGlobal>

class QVBoxLayout;
class QWidget;

// The corner radius of the studio's glass cards.
inline constexpr qreal studioCardCornerRadius = 14;

// Fills `host` with a glass card with the studio's card corners, its content `padding` inside the
// card's edge, and returns the column that content is laid out in, `spacing` apart and without
// margins of its own.
QVBoxLayout* installStudioGlassCard(QWidget& host, qreal padding, int spacing);
