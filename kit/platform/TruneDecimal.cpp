#include "kit/platform/TruneDecimal.h"

#include <array>
#include <charconv>

QString truneDecimal(qint64 value)
{
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    return QString::fromLatin1(digits.data(), end - digits.data());
}
