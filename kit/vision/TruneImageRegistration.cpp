#include "kit/vision/TruneImageRegistration.h"

#include "kit/vision/TruneGreyImage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <span>
#include <vector>

// Phase correlation: the translation between two images is the position of the single peak in
// the inverse transform of their normalised cross-power spectrum.

namespace {

using Complex = std::complex<double>;

// Larger images are reduced to at most this many samples per side before they are compared.
constexpr int maximumGridSide = 256;

// In-place radix-2 transform; the length of `data` is a power of two. The inverse is left
// unscaled, as only the position of its peak matters.
void fourierTransform(std::span<Complex> data, bool inverse)
{
    const std::size_t count = data.size();
    for (std::size_t index = 1, reversed = 0; index < count; ++index) {
        std::size_t bit = count >> 1;
        for (; reversed & bit; bit >>= 1)
            reversed ^= bit;
        reversed ^= bit;
        if (index < reversed)
            std::swap(data[index], data[reversed]);
    }
    for (std::size_t length = 2; length <= count; length <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / double(length);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < count; start += length) {
            Complex twiddle(1.0);
            for (std::size_t offset = 0; offset < length / 2; ++offset) {
                const Complex even = data[start + offset];
                const Complex odd = data[start + offset + length / 2] * twiddle;
                data[start + offset] = even + odd;
                data[start + offset + length / 2] = even - odd;
                twiddle *= step;
            }
        }
    }
}

struct Grid {
    int width = 0;
    int height = 0;
    std::vector<Complex> cells; // row by row

    Complex& at(int x, int y) { return cells[static_cast<std::size_t>(y * width + x)]; }
    double realAt(int x, int y) const
    {
        // Positions wrap around, as the transform treats the grid as periodic.
        const int wrappedX = (x % width + width) % width;
        const int wrappedY = (y % height + height) % height;
        return cells[static_cast<std::size_t>(wrappedY * width + wrappedX)].real();
    }
};

void fourierTransform(Grid& grid, bool inverse)
{
    for (int y = 0; y < grid.height; ++y)
        fourierTransform(std::span(grid.cells).subspan(static_cast<std::size_t>(y * grid.width), grid.width), inverse);
    std::vector<Complex> column(static_cast<std::size_t>(grid.height));
    for (int x = 0; x < grid.width; ++x) {
        for (int y = 0; y < grid.height; ++y)
            column[static_cast<std::size_t>(y)] = grid.at(x, y);
        fourierTransform(column, inverse);
        for (int y = 0; y < grid.height; ++y)
            grid.at(x, y) = column[static_cast<std::size_t>(y)];
    }
}

double hannWeight(int position, int count)
{
    return count < 2 ? 1.0 : 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * position / count);
}

// The image resampled by (scaleX, scaleY) into the top-left of a width × height grid, with
// its mean brightness removed and its edges faded out so that they do not count as content.
// None when the image has no contrast at all.
std::optional<Grid> preparedGrid(const QImage& image, double scaleX, double scaleY, int width, int height)
{
    // Only the part that lands on the grid is resampled, however large the image is.
    const QImage visible = image.copy(0, 0, std::min(image.width(), static_cast<int>(std::ceil(width / scaleX))),
        std::min(image.height(), static_cast<int>(std::ceil(height / scaleY))));
    const int sampleWidth = std::clamp(static_cast<int>(std::lround(visible.width() * scaleX)), 1, width);
    const int sampleHeight = std::clamp(static_cast<int>(std::lround(visible.height() * scaleY)), 1, height);
    const std::vector<double> samples = truneGreySamples(visible, sampleWidth, sampleHeight);
    double mean = 0;
    for (const double sample : samples)
        mean += sample;
    mean /= double(samples.size());

    Grid grid{width, height, std::vector<Complex>(static_cast<std::size_t>(width * height))};
    double energy = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Beyond the image's own samples the grid holds its mean: no content.
            const double sample
                = x < sampleWidth && y < sampleHeight ? samples[static_cast<std::size_t>(y * sampleWidth + x)] : mean;
            const double value = (sample - mean) * hannWeight(x, width) * hannWeight(y, height);
            grid.at(x, y) = value;
            energy += value * value;
        }
    }
    if (energy < 1e-9)
        return std::nullopt;
    fourierTransform(grid, false);
    return grid;
}

// Where between its neighbours a peak really lies, from a parabola through the three values.
double subsampleOffset(double before, double peak, double after)
{
    const double curvature = before - 2 * peak + after;
    if (curvature >= 0)
        return 0;
    return std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5);
}

// A peak position on the periodic grid as a signed shift.
int signedShift(int position, int count)
{
    return position > count / 2 ? position - count : position;
}

} // namespace

std::optional<TruneVector> TruneImageRegistration::translation(const QImage& reference, const QImage& floating)
{
    if (reference.isNull() || floating.isNull())
        return std::nullopt;
    const int width
        = std::min(maximumGridSide, static_cast<int>(std::bit_ceil(static_cast<unsigned>(reference.width()))));
    const int height
        = std::min(maximumGridSide, static_cast<int>(std::bit_ceil(static_cast<unsigned>(reference.height()))));
    const double scaleX = double(width) / reference.width();
    const double scaleY = double(height) / reference.height();

    std::optional<Grid> spectrum = preparedGrid(floating, scaleX, scaleY, width, height);
    const std::optional<Grid> referenceSpectrum = preparedGrid(reference, scaleX, scaleY, width, height);
    if (!spectrum || !referenceSpectrum)
        return std::nullopt;

    // The normalised cross-power spectrum keeps only the phase difference, which is the shift.
    for (std::size_t index = 0; index < spectrum->cells.size(); ++index) {
        const Complex product = spectrum->cells[index] * std::conj(referenceSpectrum->cells[index]);
        const double magnitude = std::abs(product);
        spectrum->cells[index] = magnitude > 1e-12 ? product / magnitude : Complex(0.0);
    }
    fourierTransform(*spectrum, true);

    int peakX = 0;
    int peakY = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (spectrum->realAt(x, y) > spectrum->realAt(peakX, peakY)) {
                peakX = x;
                peakY = y;
            }
    const double peak = spectrum->realAt(peakX, peakY);
    const double shiftX = signedShift(peakX, width)
        + subsampleOffset(spectrum->realAt(peakX - 1, peakY), peak, spectrum->realAt(peakX + 1, peakY));
    const double shiftY = signedShift(peakY, height)
        + subsampleOffset(spectrum->realAt(peakX, peakY - 1), peak, spectrum->realAt(peakX, peakY + 1));

    // The peak is where the content of `floating` moved to, with y downward; moving it back
    // onto `reference` is the opposite shift, and y upward turns the vertical sign once more.
    return TruneVector{0.0 - shiftX / scaleX, shiftY / scaleY};
}
