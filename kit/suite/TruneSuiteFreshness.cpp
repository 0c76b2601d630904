#include "kit/suite/TruneSuiteFreshness.h"

#include "kit/platform/TruneProcessLiveness.h"

#include <cmath>

namespace TruneSuiteFreshness {

bool isRecent(const QDateTime& timestamp, const QDateTime& now, double maxAgeSeconds)
{
    if (!timestamp.isValid() || !now.isValid())
        return false;
    const double age = std::fabs(static_cast<double>(now.msecsTo(timestamp)) / 1000.0);
    return maxAgeSeconds >= age;
}

bool isFresh(const QDateTime& timestamp, qint32 senderPID, const QDateTime& now, double maxAgeSeconds)
{
    return isRecent(timestamp, now, maxAgeSeconds) && senderPID > 0 && TruneProcessLiveness::isAlive(senderPID);
}

} // namespace TruneSuiteFreshness
