#include "kit/feedback/TruneFeedbackScreenshot.h"

#include "kit/foundation/TruneByteFormatter.h"

QString TruneFeedbackScreenshot::formattedSize() const
{
    return TruneByteFormatter::format(data.size());
}
