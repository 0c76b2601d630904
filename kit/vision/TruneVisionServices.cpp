#include "kit/vision/TruneVisionServices.h"

std::expected<TruneOCRResult, TruneVisionError> TruneVisionServices::recognizeTextWithFallback(
    bool accurate, const RecognitionPass& pass)
{
    const TruneRecognitionLevel level = accurate ? TruneRecognitionLevel::accurate : TruneRecognitionLevel::fast;
    auto lines = pass(level, false);
    if (!lines)
        lines = pass(level, true);
    if (!lines)
        lines = pass(TruneRecognitionLevel::fast, true);
    if (!lines)
        return std::unexpected(lines.error());
    return TruneOCRResult{std::move(*lines)};
}

std::expected<TruneOCRResult, TruneVisionError> TruneVisionServices::recognizeText(
    const QImage& image, const QStringList& languages, bool accurate)
{
    return recognizeTextWithFallback(accurate, [&](TruneRecognitionLevel level, bool /*cpuOnly*/) {
        // The recognizer has no device but the CPU, so a CPU-only pass is a plain retry.
        return TruneTextRecognizer::recognize(image, languages, level);
    });
}

std::expected<TruneImageFeaturePrint, TruneVisionError> TruneVisionServices::featurePrint(const QImage& image)
{
    std::optional<TruneImageFeaturePrint> print = TruneImageFeaturePrint::compute(image);
    if (!print)
        return std::unexpected(TruneVisionError::featurePrintUnavailable());
    return std::move(*print);
}

std::expected<TruneVector, TruneVisionError> TruneVisionServices::translationalOffset(
    const QImage& from, const QImage& to)
{
    if (from.isNull() || to.isNull())
        return std::unexpected(TruneVisionError::invalidImage());
    return TruneImageRegistration::translation(from, to).value_or(TruneVector{});
}
