#include "kit/vision/TruneImageFeaturePrint.h"

#include "kit/vision/TruneGreyImage.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

// The image is reduced to a small square and described by the lowest frequencies of its cosine
// transform: they carry the layout of light and dark, not the fine detail that scaling,
// compression or noise change.
constexpr int sampleSize = 32;
constexpr int frequencyCount = 8;

using CosineTable = std::array<std::array<double, sampleSize>, frequencyCount>;

const CosineTable& cosineTable()
{
    static const CosineTable table = [] {
        CosineTable cosines{};
        for (int frequency = 0; frequency < frequencyCount; ++frequency)
            for (int position = 0; position < sampleSize; ++position)
                cosines[frequency][position]
                    = std::cos((2 * position + 1) * frequency * std::numbers::pi / (2.0 * sampleSize));
        return cosines;
    }();
    return table;
}

double cosineCoefficient(const std::vector<double>& samples, int u, int v)
{
    const CosineTable& cosines = cosineTable();
    double sum = 0;
    for (int y = 0; y < sampleSize; ++y)
        for (int x = 0; x < sampleSize; ++x)
            sum += samples[static_cast<std::size_t>(y * sampleSize + x)] * cosines[u][x] * cosines[v][y];
    return sum;
}

} // namespace

std::optional<TruneImageFeaturePrint> TruneImageFeaturePrint::compute(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    const std::vector<double> samples = truneGreySamples(image, sampleSize, sampleSize);

    // The average brightness (the first coefficient) is left out, and the rest scaled to unit
    // length, so a lighter or more contrasted copy gives the same print.
    std::vector<double> coefficients;
    double squaredLength = 0;
    for (int v = 0; v < frequencyCount; ++v) {
        for (int u = 0; u < frequencyCount; ++u) {
            if (u == 0 && v == 0)
                continue;
            coefficients.push_back(cosineCoefficient(samples, u, v));
            squaredLength += coefficients.back() * coefficients.back();
        }
    }
    // A plain image has no shapes: its print stays all zero.
    const double length = std::sqrt(squaredLength);
    std::vector<float> values;
    values.reserve(coefficients.size());
    for (const double coefficient : coefficients)
        values.push_back(length > 1e-9 ? static_cast<float>(coefficient / length) : 0.0f);
    return TruneImageFeaturePrint(std::move(values));
}

float TruneImageFeaturePrint::distance(const TruneImageFeaturePrint& other) const
{
    double sum = 0;
    for (std::size_t index = 0; index < m_values.size() && index < other.m_values.size(); ++index) {
        const double difference = double(m_values[index]) - double(other.m_values[index]);
        sum += difference * difference;
    }
    return static_cast<float>(std::sqrt(sum));
}
