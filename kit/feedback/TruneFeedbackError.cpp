#include "kit/feedback/TruneFeedbackError.h"

#include "kit/feedback/TruneFeedbackService.h"
#include "kit/localization/TruneShortenedText.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

using namespace Qt::StringLiterals;

namespace {

TruneFeedbackError make(TruneFeedbackError::Case errorCase, int limit = 0, QString text = {})
{
    return {.errorCase = errorCase, .limit = limit, .text = std::move(text)};
}

// A server's words go into the sheet's one error line: line breaks and other control characters
// become spaces, runs of white space one space, and a long text is cut.
QString oneShortLine(const QString& text)
{
    QString line = text;
    for (QChar& character : line) {
        if (character.category() == QChar::Other_Control || character.category() == QChar::Separator_Line
            || character.category() == QChar::Separator_Paragraph)
            character = u' ';
    }
    return TruneShortenedText::shortened(line.simplified(), TruneFeedbackError::maxServerTextLength);
}

} // namespace

TruneFeedbackError TruneFeedbackError::tooManyScreenshots(int max)
{
    return make(Case::tooManyScreenshots, max);
}

TruneFeedbackError TruneFeedbackError::screenshotTooLarge(int maxMB)
{
    return make(Case::screenshotTooLarge, maxMB);
}

TruneFeedbackError TruneFeedbackError::serverRejected(const QString& text)
{
    return make(Case::serverRejected, 0, oneShortLine(text));
}

TruneFeedbackError TruneFeedbackError::networkFailure(const QString& detail)
{
    return make(Case::networkFailure, 0, detail);
}

TruneFeedbackError TruneFeedbackError::invalidEndpoint()
{
    return make(Case::invalidEndpoint);
}

TruneFeedbackError TruneFeedbackError::invalidEmail()
{
    return make(Case::invalidEmail);
}

TruneFeedbackError TruneFeedbackError::messageTooShort()
{
    return make(Case::messageTooShort);
}

TruneFeedbackError TruneFeedbackError::insecureEndpoint()
{
    return make(Case::insecureEndpoint);
}

QString TruneFeedbackError::description(TruneLanguage language) const
{
    const QString number = truneDecimal(limit);
    switch (errorCase) {
    case Case::tooManyScreenshots:
        return truneText(u"You can attach up to "_s + number + u" screenshots."_s,
            u"En fazla "_s + number + u" ekran görüntüsü ekleyebilirsiniz."_s, language);
    case Case::screenshotTooLarge:
        return truneText(u"Each screenshot must be smaller than "_s + number + u" MB."_s,
            u"Her ekran görüntüsü en fazla "_s + number + u" MB olabilir."_s, language);
    case Case::serverRejected:
        return text;
    case Case::networkFailure: {
        // The built-in service's host, also when another address was used.
        const QString host = TruneFeedbackService::feedbackHost();
        return truneText(u"Could not reach "_s + host + u" ("_s + text
                + u"). You can open the feedback page in your browser instead."_s,
            host + u" adresine ulaşılamadı ("_s + text + u"). Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz."_s,
            language);
    }
    case Case::invalidEndpoint:
        return truneText(u"Feedback server address could not be resolved."_s,
            u"Geri bildirim sunucu adresi çözümlenemedi."_s, language);
    case Case::invalidEmail:
        return truneText(
            u"Please enter a valid email address."_s, u"Lütfen geçerli bir e-posta adresi girin."_s, language);
    case Case::messageTooShort:
        return truneText(u"Please write a bit more detail (at least 10 characters)."_s,
            u"Lütfen en az 10 karakterlik kısa bir açıklama yazın."_s, language);
    case Case::insecureEndpoint:
        return truneText(u"Feedback server address must use https; plain http is allowed only to this computer."_s,
            u"Geri bildirim sunucu adresi https kullanmalı; düz http yalnızca bu bilgisayar için kullanılabilir."_s,
            language);
    }
    return {};
}

QString TruneFeedbackError::errorDescription() const
{
    return description(TruneLanguage::current());
}
