#include "kit/suite/TruneSuiteSendError.h"

#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

QString TruneSuiteSendError::description(TruneLanguage language) const
{
    const QString app = rawValue(target);
    switch (kind) {
    case Kind::invalidTargetPID:
        return truneText(u"The command for %1 names no valid process"_s.arg(app),
            u"%1 için gönderilen komut geçerli bir işlem belirtmiyor"_s.arg(app), language);
    case Kind::notInstalled:
        return truneText(app + u" is not installed"_s, app + u" kurulu değil"_s, language);
    case Kind::couldNotWrite:
        return truneText(u"The command for %1 could not be written"_s.arg(app),
            u"%1 için komut dosyası yazılamadı"_s.arg(app), language);
    case Kind::noNotificationBus:
        return truneText(u"%1 could not be reached: no session bus is available"_s.arg(app),
            u"%1 uygulamasına ulaşılamadı: oturum veri yolu yok"_s.arg(app), language);
    case Kind::couldNotLaunch:
        return truneText(u"%1 could not be started"_s.arg(app), u"%1 başlatılamadı"_s.arg(app), language);
    }
    return {};
}
