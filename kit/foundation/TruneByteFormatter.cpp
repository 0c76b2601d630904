#include "kit/foundation/TruneByteFormatter.h"

#include "kit/platform/TruneDecimal.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The digits printf("%.<precision>f") prints for the same double (the exact binary value,
// correctly rounded), but never touched by the C locale.
QString fixed(double value, int precision)
{
    // Wide enough for any finite double in fixed notation (up to 309 integer digits).
    std::array<char, 400> buffer{};
    const auto result
        = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, precision);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

// Zero-padded to two digits, as "%02d" prints a non-negative value.
QString twoDigits(qint64 value)
{
    return value < 10 ? QLatin1Char('0') + truneDecimal(value) : truneDecimal(value);
}

// std::round, clamped into the 64-bit range; NaN becomes 0.
qint64 roundedToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value);
    // 2^63 is exact as a double; everything below it converts without overflow.
    constexpr double limit = 9223372036854775808.0;
    if (rounded >= limit)
        return std::numeric_limits<qint64>::max();
    if (rounded < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
}

} // namespace

namespace TruneByteFormatter {

QString format(qint64 bytes)
{
    const qint64 n = std::max<qint64>(bytes, 0);
    const double value = static_cast<double>(n);
    if (n < 1'000)
        return truneDecimal(n) + QStringLiteral(" B");
    if (n < 1'000'000)
        return fixed(value / 1e3, 1) + QStringLiteral(" KB");
    if (n < 1'000'000'000)
        return fixed(value / 1e6, 1) + QStringLiteral(" MB");
    if (n < 1'000'000'000'000)
        return fixed(value / 1e9, 2) + QStringLiteral(" GB");
    return fixed(value / 1e12, 2) + QStringLiteral(" TB");
}

QString formatDuration(double seconds)
{
    const qint64 r = roundedToInt64(seconds);
    const qint64 t = std::max<qint64>(r, 0);
    const qint64 hours = t / 3600;
    const qint64 minutes = t % 3600 / 60;
    const qint64 secs = t % 60;
    if (r < 3600)
        return twoDigits(minutes) + QLatin1Char(':') + twoDigits(secs);
    return truneDecimal(hours) + QLatin1Char(':') + twoDigits(minutes) + QLatin1Char(':') + twoDigits(secs);
}

QString formatRate(double bytesPerSecond)
{
    const double v = std::isnan(bytesPerSecond) || bytesPerSecond < 0 ? 0.0 : bytesPerSecond;
    if (v < 1e3)
        return truneDecimal(roundedToInt64(v)) + QStringLiteral(" B/s");
    if (v < 1e6)
        return fixed(v / 1e3, 1) + QStringLiteral(" KB/s");
    if (v < 1e9)
        return fixed(v / 1e6, 1) + QStringLiteral(" MB/s");
    return fixed(v / 1e9, 2) + QStringLiteral(" GB/s");
}

double savingsPercent(qint64 original, qint64 optimized)
{
    if (original <= 0)
        return 0;
    qint64 saved = 0;
    // Past the 64-bit range the difference is taken in double precision instead.
    const double difference = __builtin_sub_overflow(original, optimized, &saved)
        ? static_cast<double>(original) - static_cast<double>(optimized)
        : static_cast<double>(saved);
    return difference / static_cast<double>(original) * 100;
}

QString csvSafeField(const QString& field)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, field);
    const qsizetype firstEnd = graphemes.toNextBoundary();
    const bool singleCodeUnit = firstEnd == 1;
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    const bool needsApostrophe = singleCodeUnit && formulaStarts.contains(field.front());

    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + (needsApostrophe ? QStringLiteral("'") : QString()) + quoted + QLatin1Char('"');
}

} // namespace TruneByteFormatter
