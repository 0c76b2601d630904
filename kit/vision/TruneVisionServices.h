#pragma once

#include "kit/vision/TruneImageFeaturePrint.h"
#include "kit/vision/TruneImageRegistration.h"
#include "kit/vision/TruneOCRResult.h"
#include "kit/vision/TruneTextRecognizer.h"
#include "kit/vision/TruneVisionError.h"

#include <QImage>
#include <QStringList>

#include <expected>
#include <functional>
#include <vector>

// Text recognition and image comparison. Keeps no state; every call blocks its thread while it
// analyses the images and shares nothing with calls on other threads.
namespace TruneVisionServices {

// The text in `image`, line by line. `languages` are language codes (may be empty: English).
// When a pass of the recognizer fails it is retried, as described at recognizeTextWithFallback;
// only the last pass's failure reaches the caller.
std::expected<TruneOCRResult, TruneVisionError> recognizeText(
    const QImage& image, const QStringList& languages, bool accurate);

// The feature print of `image`, to compare it with others through TruneImageFeaturePrint::distance.
// Fails with featurePrintUnavailable when the image yields none (a null image).
std::expected<TruneImageFeaturePrint, TruneVisionError> featurePrint(const QImage& image);

// The translation that lines `to` up with `from` (see TruneImageRegistration::translation);
// (0, 0) when the images have nothing to line up. Fails with invalidImage for a null image.
std::expected<TruneVector, TruneVisionError> translationalOffset(const QImage& from, const QImage& to);

// One recognition pass at a level, optionally restricted to the CPU.
using RecognitionPass = std::function<std::expected<std::vector<TruneOCRLine>, TruneVisionError>(
    TruneRecognitionLevel level, bool cpuOnly)>;

// Runs `pass` at the requested level; when it fails, again at that level on the CPU only; when
// that fails too, once more at the fast level on the CPU only, whose result or error is final.
std::expected<TruneOCRResult, TruneVisionError> recognizeTextWithFallback(bool accurate, const RecognitionPass& pass);

} // namespace TruneVisionServices
