#pragma once

#include <QDateTime>

// When a suite record may still be believed.
namespace TruneSuiteFreshness {

// The distance between `timestamp` and `now`, either way, is at most `maxAgeSeconds`; a maximum
// age that is not a number accepts nothing.
bool isRecent(const QDateTime& timestamp, const QDateTime& now, double maxAgeSeconds);

// Recent, and the process that wrote the record still exists (a process of another user counts).
bool isFresh(const QDateTime& timestamp, qint32 senderPID, const QDateTime& now, double maxAgeSeconds);

} // namespace TruneSuiteFreshness
