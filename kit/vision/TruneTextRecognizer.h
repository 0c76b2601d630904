#pragma once

#include "kit/vision/TruneOCRResult.h"
#include "kit/vision/TruneVisionError.h"

#include <QImage>
#include <QStringList>

#include <expected>
#include <vector>

// How much work the recognizer puts into an image: `fast` skips the second reading of unsure
// lines as light text on a dark ground that `accurate` takes.
enum class TruneRecognitionLevel { fast, accurate };

// Text recognition with Tesseract. Every call loads its own recognizer, so calls on different
// threads never share one.
namespace TruneTextRecognizer {

// The folder of the recognizer's language data: $TESSDATA_PREFIX when it is set, else the
// folder the system package installs.
QString dataFolder();

// The lines of text in `image`, in reading order. `languages` are language codes ("en",
// "en-US", "tr") or names of the recognizer's data files ("eng"); English when empty. Fails
// when the image is null, when the data of a language is missing or unreadable, or when the
// recognizer gives up on the image.
std::expected<std::vector<TruneOCRLine>, TruneVisionError> recognize(
    const QImage& image, const QStringList& languages, TruneRecognitionLevel level);

} // namespace TruneTextRecognizer
