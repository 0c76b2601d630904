#pragma once

#include <QImage>

#include <vector>

// The image as 8-bit grey laid on white paper, so that transparent parts read as the light
// ground they show on screen rather than as black. Null for a null image.
QImage truneGreyImage(const QImage& image);

// The grey levels (0 black .. 1 white) of `image` resampled to width × height, row by row,
// each sample the average of the pixels it covers. Both sizes must be at least 1.
std::vector<double> truneGreySamples(const QImage& image, int width, int height);
