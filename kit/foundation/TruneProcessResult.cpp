#include "kit/foundation/TruneProcessResult.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

using namespace Qt::StringLiterals;

QString TruneProcessResult::stdoutString() const
{
    return QString::fromUtf8(stdout);
}

QString TruneProcessResult::stderrString() const
{
    return QString::fromUtf8(stderr);
}

QString TruneProcessResult::terminationDescription(TruneLanguage language) const
{
    if (terminationSignal) {
        const QString number = truneDecimal(*terminationSignal);
        return truneText(
            u"Terminated by signal "_s + number + u"."_s, number + u" numaralı sinyalle sonlandırıldı."_s, language);
    }
    const QString status = truneDecimal(exitCode);
    return truneText(u"Exited with status "_s + status + u"."_s, status + u" durum koduyla çıktı."_s, language);
}
