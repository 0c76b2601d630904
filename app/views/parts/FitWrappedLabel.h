#pragma once

#include <QLabel>

// Fixes a word-wrapped label to `width` and its height to what its text needs at that width, so
// that layouts which ignore height-for-width still give it every line. Call it again after the
// text or font changes.
inline void fitWrappedLabel(QLabel& label, int width)
{
    label.setWordWrap(true);
    label.setFixedWidth(width);
    label.setFixedHeight(label.heightForWidth(width));
}
