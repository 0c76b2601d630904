#include "kit/feedback/TruneFeedbackKind.h"

#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

QString symbolName(TruneFeedbackKind kind)
{
    switch (kind) {
    case TruneFeedbackKind::bug:
        return u"ladybug.fill"_s;
    case TruneFeedbackKind::feature:
        return u"sparkles"_s;
    case TruneFeedbackKind::newApp:
        return u"lightbulb.fill"_s;
    case TruneFeedbackKind::general:
        return u"bubble.left.and.bubble.right.fill"_s;
    }
    return {};
}

QString title(TruneFeedbackKind kind, TruneLanguage language)
{
    switch (kind) {
    case TruneFeedbackKind::bug:
        return truneText(u"Bug Report"_s, u"Hata Bildirimi"_s, language);
    case TruneFeedbackKind::feature:
        return truneText(u"Feature & Improvement"_s, u"Özellik & İyileştirme"_s, language);
    case TruneFeedbackKind::newApp:
        return truneText(u"New App Idea"_s, u"Yeni Program Fikri"_s, language);
    case TruneFeedbackKind::general:
        return truneText(u"General Feedback"_s, u"Genel Görüş"_s, language);
    }
    return {};
}
