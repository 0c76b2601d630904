#include "kit/foundation/TruneProcessResult.h"

QString TruneProcessResult::stdoutString() const
{
    return QString::fromUtf8(stdout);
}

QString TruneProcessResult::stderrString() const
{
    return QString::fromUtf8(stderr);
}
