#include "kit/ui/TruneFeedbackButton.h"

#include "kit/ui/TruneGroundBackground.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <QHBoxLayout>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Style = TruneFeedbackButtonStyle;

TruneFeedbackTarget target(TruneLanguage language, TruneFeedbackKind kind = TruneFeedbackKind::feature,
    const QString& baseURL = u"https://form.test"_s)
{
    return {.appName = u"TruneUpdate"_s,
        .version = {u"1.0.0"_s, u"100"_s},
        .kind = kind,
        .language = language,
        .baseURL = baseURL};
}

QString osQueryValue()
{
    return QString::fromLatin1(QUrl::toPercentEncoding(TruneFeedbackService::currentOSDescription(), "!$'()*,;:@/?"));
}

QImage imageOf(TruneFeedbackButton& button)
{
    button.resize(button.sizeHint());
    return button.grab().toImage();
}

} // namespace

TEST(TruneFeedbackButtonTest, AClickOpensTheWebFormForTheTargetInEitherLook)
{
    const TempHome home;
    const FakeXdgOpen opener;
    struct Case {
        Style style;
        TruneLanguage language;
        QString expected;
    };
    const QString query
        = u"?type=feature&source=desktop_app&os="_s + osQueryValue() + u"&app=truneupdate&version=1.0.0"_s;
    const std::vector<Case> cases{
        {Style::compactIcon, TruneLanguage::en, u"https://form.test/en/feedback"_s + query},
        {Style::compactIcon, TruneLanguage::tr, u"https://form.test/tr/geri-bildirim"_s + query},
        {Style::labeledPill, TruneLanguage::en, u"https://form.test/en/feedback"_s + query},
        {Style::labeledPill, TruneLanguage::tr, u"https://form.test/tr/geri-bildirim"_s + query},
    };
    std::vector<QStringList> expected;
    for (const Case& c : cases) {
        TruneFeedbackButton button(target(c.language), c.style);
        button.resize(button.sizeHint());
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton, {}, button.rect().center());
        expected.push_back({c.expected});
        ASSERT_TRUE(opener.waitForCalls(qsizetype(expected.size())));
    }
    EXPECT_EQ(opener.calls(), expected);
}

TEST(TruneFeedbackButtonTest, KindAndAddressTravelToTheFormWithoutChangingTheLook)
{
    const TempHome home;
    const FakeXdgOpen opener;
    for (const Style style : {Style::compactIcon, Style::labeledPill}) {
        TruneFeedbackButton feature(target(TruneLanguage::en), style);
        TruneFeedbackButton bug(target(TruneLanguage::en, TruneFeedbackKind::bug, u"http://127.0.0.1:8/"_s), style);
        EXPECT_EQ(imageOf(feature), imageOf(bug));
    }
    TruneFeedbackButton bug(
        target(TruneLanguage::en, TruneFeedbackKind::bug, u"http://127.0.0.1:8/"_s), Style::compactIcon);
    bug.click();
    ASSERT_TRUE(opener.waitForCalls(1));
    const QUrl opened(opener.calls().at(0).value(0));
    EXPECT_EQ(opened.toString(QUrl::RemoveQuery), u"http://127.0.0.1:8/en/feedback"_s);
    EXPECT_EQ(QUrlQuery(opened).queryItemValue(u"type"_s), u"bug"_s);
}

TEST(TruneFeedbackButtonTest, TextsInBothLanguagesAndWhereEachLookShowsThem)
{
    const TempHome home;
    const QString helpEn = u"Listening to you — Report a bug or share an idea"_s;
    const QString helpTr = u"Sizi dinliyoruz — Hata bildir veya fikir paylaş"_s;

    TruneFeedbackButton compact(target(TruneLanguage::en), Style::compactIcon);
    EXPECT_EQ(compact.text(), u""_s);
    EXPECT_EQ(compact.toolTip(), helpEn);
    EXPECT_EQ(compact.accessibleName(), helpEn);

    TruneFeedbackButton pill(target(TruneLanguage::en), Style::labeledPill);
    EXPECT_EQ(pill.text(), u"Send Feedback & Ideas"_s);
    EXPECT_EQ(pill.toolTip(), helpEn);
    EXPECT_EQ(pill.accessibleName(), u"Send Feedback & Ideas"_s);

    const int englishWidth = pill.sizeHint().width();
    compact.setLanguage(TruneLanguage::tr);
    pill.setLanguage(TruneLanguage::tr);
    EXPECT_EQ(compact.toolTip(), helpTr);
    EXPECT_EQ(compact.accessibleName(), helpTr);
    EXPECT_EQ(compact.text(), u""_s);
    EXPECT_EQ(pill.text(), u"Geri Bildirim & Fikir Gönder"_s);
    EXPECT_EQ(pill.toolTip(), helpTr);
    EXPECT_NE(pill.sizeHint().width(), englishWidth) << "the pill sizes itself to the new title";
    EXPECT_EQ(pill.target().language, TruneLanguage::tr);
}

TEST(TruneFeedbackButtonTest, TheCompactCapsuleKeepsItsSizeInANarrowBar)
{
    const TempHome home;
    QWidget bar;
    auto* layout = new QHBoxLayout(&bar);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* compact = new TruneFeedbackButton(target(TruneLanguage::en), Style::compactIcon);
    layout->addWidget(compact);
    const QSize ideal = compact->sizeHint();
    EXPECT_GE(ideal.width(), 20);
    EXPECT_GE(ideal.height(), 15);
    for (const QSize size : {QSize(4, 4), QSize(400, 60)}) {
        bar.resize(size);
        bar.show();
        layout->activate();
        EXPECT_EQ(compact->size(), ideal) << size.width();
    }
}

TEST(TruneFeedbackButtonTest, Screenshots)
{
    const TempHome home;
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        TruneGroundBackground ground(TruneProductPalette::deepEmerald);
        auto* layout = new QHBoxLayout(&ground);
        layout->setContentsMargins(16, 12, 16, 12);
        layout->setSpacing(12);
        auto* compact = new TruneFeedbackButton(target(language), Style::compactIcon);
        auto* pill = new TruneFeedbackButton(target(language), Style::labeledPill);
        layout->addWidget(compact);
        layout->addWidget(pill);
        ground.resize(ground.sizeHint());
        ground.show();
        saveScreenshot(ground, u"feedback-button-both-"_s + language.rawValue());

        // The icon alone beside the pill with its title in the language shown, both enabled.
        EXPECT_TRUE(compact->text().isEmpty());
        EXPECT_EQ(pill->text(), TruneFeedbackButton::title(language));
        for (const TruneFeedbackButton* button : {compact, pill}) {
            EXPECT_TRUE(button->isEnabled());
            EXPECT_GE(button->width(), button->sizeHint().width());
        }
        expectEveryWidgetShownWhole(ground);
        expectNoneOverlap({compact, pill});
    }
}
