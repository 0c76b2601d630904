#include "kit/feedback/TruneHttpFailureText.h"

#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

QString truneHttpFailureText(const TruneHttpExchangeError& error, TruneLanguage language)
{
    using Case = TruneHttpExchangeError::Case;
    switch (error.errorCase) {
    case Case::unsupportedAddress:
        return truneText(
            u"the address is not an http or https address"_s, u"adres bir http ya da https adresi değil"_s, language);
    case Case::cleartextToRemoteHost:
        return truneText(u"plain http is allowed only to this computer"_s,
            u"düz http yalnızca bu bilgisayar için kullanılabilir"_s, language);
    case Case::unsafeHeader:
        return truneText(
            u"a request header held a line break"_s, u"bir istek başlığı satır sonu içeriyordu"_s, language);
    case Case::timedOut:
        return truneText(u"the server did not answer in time"_s, u"sunucu zamanında yanıt vermedi"_s, language);
    case Case::replyTooLarge: {
        const QString limit = TruneByteFormatter::format(error.limit);
        return truneText(
            u"the reply passed the limit of "_s + limit, u"yanıt "_s + limit + u" sınırını aştı"_s, language);
    }
    case Case::transportFailure:
        return error.detail;
    case Case::noHttpStatus:
        return u"Invalid HTTP response"_s;
    }
    return {};
}
