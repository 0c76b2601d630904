#pragma once

#include <QString>

#include <vector>

// A rectangle in normalised image coordinates: the image spans 0..1 on both axes, with the
// origin at its bottom-left corner and y growing upward.
struct TruneNormalizedRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const TruneNormalizedRect&) const = default;
};

// One recognised line of text with where it stands and how sure the recognizer was (0..1).
struct TruneOCRLine {
    QString text;
    TruneNormalizedRect boundingBox;
    float confidence = 0;

    bool operator==(const TruneOCRLine&) const = default;
};

// The lines of one recognition, in the order the recognizer found them.
struct TruneOCRResult {
    std::vector<TruneOCRLine> lines;

    // The texts of all lines joined by line feeds, with none after the last.
    QString fullText() const;

    bool operator==(const TruneOCRResult&) const = default;
};
