#pragma once

#include <QString>
#include <QtGlobal>

// Short texts for byte counts, durations and transfer rates, in fixed formats that ignore the
// user's locale (the decimal separator is always "."), plus two small helpers for reports.
namespace TruneByteFormatter {

// Decimal units: "<n> B", "%.1f KB", "%.1f MB", "%.2f GB", "%.2f TB". The unit is chosen from
// the count before rounding (999 999 is "1000.0 KB"); a negative count is shown as "0 B".
QString format(qint64 bytes);

// Seconds rounded half away from zero: "mm:ss" below an hour, else "h:mm:ss" with unpadded,
// unbounded hours. Negative and NaN durations read "00:00"; durations past the 64-bit range
// are shown as the largest one.
QString formatDuration(double seconds);

// "<n> B/s" (whole bytes, rounded half away from zero), "%.1f KB/s", "%.1f MB/s", "%.2f GB/s".
// A negative or NaN rate is shown as "0 B/s".
QString formatRate(double bytesPerSecond);

// (original - optimized) / original * 100; 0 when original <= 0. Negative when the result
// grew; never clamped.
double savingsPercent(qint64 original, qint64 optimized);

// One spreadsheet field, always quoted, with embedded quotes doubled. A field whose first
// character (a whole grapheme cluster) is "=", "+", "-", "@", tab or carriage return gets an
// apostrophe in front, so a spreadsheet never evaluates it as a formula.
QString csvSafeField(const QString& field);

} // namespace TruneByteFormatter
