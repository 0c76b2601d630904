#include "kit/feedback/TruneFeedbackError.h"
#include "kit/feedback/TruneFeedbackKind.h"
#include "kit/feedback/TruneFeedbackService.h"
#include "kit/feedback/TruneHttpFailureText.h"

#include "FeedbackTestSupport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TruneFeedbackKindTest, RawValuesSymbolsAndTitles)
{
    struct Row {
        TruneFeedbackKind kind;
        QString raw;
        QString symbol;
        QString en;
        QString tr;
    };
    const std::vector<Row> rows{
        {TruneFeedbackKind::bug, u"bug"_s, u"ladybug.fill"_s, u"Bug Report"_s, u"Hata Bildirimi"_s},
        {TruneFeedbackKind::feature, u"feature"_s, u"sparkles"_s, u"Feature & Improvement"_s,
            u"Özellik & İyileştirme"_s},
        {TruneFeedbackKind::newApp, u"new_app"_s, u"lightbulb.fill"_s, u"New App Idea"_s, u"Yeni Program Fikri"_s},
        {TruneFeedbackKind::general, u"general"_s, u"bubble.left.and.bubble.right.fill"_s, u"General Feedback"_s,
            u"Genel Görüş"_s},
    };
    ASSERT_EQ(allCases<TruneFeedbackKind>().size(), rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        SCOPED_TRACE(row.raw.toStdString());
        EXPECT_EQ(allCases<TruneFeedbackKind>()[index], row.kind);
        EXPECT_EQ(rawValue(row.kind), row.raw);
        EXPECT_EQ(fromRawValue<TruneFeedbackKind>(row.raw), row.kind);
        EXPECT_EQ(symbolName(row.kind), row.symbol);
        EXPECT_EQ(title(row.kind, TruneLanguage::en), row.en);
        EXPECT_EQ(title(row.kind, TruneLanguage::tr), row.tr);
    }
    for (const QString& text : {u"newApp"_s, u"Bug"_s, u""_s, u" bug"_s})
        EXPECT_EQ(fromRawValue<TruneFeedbackKind>(text), std::nullopt) << text.toStdString();
}

TEST(TruneFeedbackErrorTest, EveryTextInBothLanguagesFollowsTheInterfaceLanguage)
{
    const TempHome home;
    const QString host = TruneFeedbackService::feedbackHost();
    ASSERT_FALSE(host.isEmpty());
    struct Row {
        TruneFeedbackError error;
        QString en;
        QString tr;
    };
    const std::vector<Row> rows{
        {TruneFeedbackError::tooManyScreenshots(5), u"You can attach up to 5 screenshots."_s,
            u"En fazla 5 ekran görüntüsü ekleyebilirsiniz."_s},
        {TruneFeedbackError::screenshotTooLarge(5), u"Each screenshot must be smaller than 5 MB."_s,
            u"Her ekran görüntüsü en fazla 5 MB olabilir."_s},
        {TruneFeedbackError::serverRejected(u"HTTP 500"_s), u"HTTP 500"_s, u"HTTP 500"_s},
        {TruneFeedbackError::networkFailure(u"Connection refused"_s),
            u"Could not reach "_s + host
                + u" (Connection refused). You can open the feedback page in your browser instead."_s,
            host
                + u" adresine ulaşılamadı (Connection refused). Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz."_s},
        {TruneFeedbackError::networkFailure(u""_s),
            u"Could not reach "_s + host + u" (). You can open the feedback page in your browser instead."_s,
            host + u" adresine ulaşılamadı (). Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz."_s},
        {TruneFeedbackError::invalidEndpoint(), u"Feedback server address could not be resolved."_s,
            u"Geri bildirim sunucu adresi çözümlenemedi."_s},
        {TruneFeedbackError::invalidEmail(), u"Please enter a valid email address."_s,
            u"Lütfen geçerli bir e-posta adresi girin."_s},
        {TruneFeedbackError::messageTooShort(), u"Please write a bit more detail (at least 10 characters)."_s,
            u"Lütfen en az 10 karakterlik kısa bir açıklama yazın."_s},
        {TruneFeedbackError::insecureEndpoint(),
            u"Feedback server address must use https; plain http is allowed only to this computer."_s,
            u"Geri bildirim sunucu adresi https kullanmalı; düz http yalnızca bu bilgisayar için kullanılabilir."_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.en.toStdString());
        {
            const ScopedInterfaceLanguage english(TruneLanguage::en);
            EXPECT_EQ(row.error.errorDescription(), row.en);
        }
        {
            const ScopedInterfaceLanguage turkish(TruneLanguage::tr);
            EXPECT_EQ(row.error.errorDescription(), row.tr);
        }
    }
}

TEST(TruneHttpFailureTextTest, EveryPhraseInBothLanguages)
{
    using Case = TruneHttpExchangeError::Case;
    struct Row {
        TruneHttpExchangeError error;
        QString en;
        QString tr;
    };
    const std::vector<Row> rows{
        {{.errorCase = Case::unsupportedAddress}, u"the address is not an http or https address"_s,
            u"adres bir http ya da https adresi değil"_s},
        {{.errorCase = Case::cleartextToRemoteHost}, u"plain http is allowed only to this computer"_s,
            u"düz http yalnızca bu bilgisayar için kullanılabilir"_s},
        {{.errorCase = Case::unsafeHeader, .detail = u"User-Agent"_s}, u"a request header held a line break"_s,
            u"bir istek başlığı satır sonu içeriyordu"_s},
        {{.errorCase = Case::timedOut}, u"the server did not answer in time"_s, u"sunucu zamanında yanıt vermedi"_s},
        {{.errorCase = Case::replyTooLarge, .limit = 4'000'000}, u"the reply passed the limit of 4.0 MB"_s,
            u"yanıt 4.0 MB sınırını aştı"_s},
        {{.errorCase = Case::transportFailure, .detail = u"Connection refused"_s}, u"Connection refused"_s,
            u"Connection refused"_s},
        {{.errorCase = Case::noHttpStatus}, u"Invalid HTTP response"_s, u"Invalid HTTP response"_s},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(truneHttpFailureText(row.error, TruneLanguage::en), row.en);
        EXPECT_EQ(truneHttpFailureText(row.error, TruneLanguage::tr), row.tr);
    }
}
