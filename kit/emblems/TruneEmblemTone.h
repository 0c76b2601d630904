#pragma once

#include <QColor>

// How one emblem shape is put down: in a colour with normal blending, or as an erasure that
// keeps (1 - cutoutAlpha) of the coverage beneath it.
struct TruneFlatPaint {
    enum class Kind { color, cutout };

    Kind kind = Kind::color;
    QColor color;
    qreal cutoutAlpha = 0;

    static TruneFlatPaint ofColor(const QColor& color) { return {Kind::color, color, 0}; }
    static TruneFlatPaint ofCutout(qreal alpha) { return {Kind::cutout, QColor(), alpha}; }

    bool operator==(const TruneFlatPaint&) const = default;
};

// Two colours and the white-glass switch, turned into the paints every emblem drawing asks for by
// role. In white glass, details are cut out of the body; in the flat look they are painted.
struct TruneEmblemTone {
    QColor primaryColor;
    QColor accentColor;
    bool isWhiteGlass = false;

    // White at 0.98 for bodies and 0.72 for the highlight; created once and shared.
    static const TruneEmblemTone& whiteGlass();
    static TruneEmblemTone flatLight(const QColor& primary, const QColor& accent);

    TruneFlatPaint primary() const;
    TruneFlatPaint accent() const;
    // A small detail that sits on the body.
    TruneFlatPaint onPrimaryAccent() const;
    // A hole or a pale line in the body.
    TruneFlatPaint cutout(qreal alpha) const;
    TruneFlatPaint mid() const;
    // The pale fill of frames.
    TruneFlatPaint soft() const;
    // A pale outline.
    TruneFlatPaint stroke() const;
    TruneFlatPaint primaryAlpha(qreal alpha) const;
    TruneFlatPaint accentAlpha(qreal alpha) const;

    bool operator==(const TruneEmblemTone&) const = default;
};
