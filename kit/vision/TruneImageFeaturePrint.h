#pragma once

#include <QImage>

#include <optional>
#include <vector>

// A compact description of what an image shows, for telling alike pictures from different
// ones: the image's coarse shapes, independent of its size, brightness and contrast.
class TruneImageFeaturePrint final {
public:
    // The print of `image`; none for an image without pixels.
    static std::optional<TruneImageFeaturePrint> compute(const QImage& image);

    // How far apart the two pictures are: 0 for the same picture, at most 2.
    float distance(const TruneImageFeaturePrint& other) const;

    bool operator==(const TruneImageFeaturePrint&) const = default;

private:
    explicit TruneImageFeaturePrint(std::vector<float> values)
        : m_values(std::move(values))
    {
    }

    std::vector<float> m_values;
};
