#include "kit/ui/TruneLanguagePicker.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TruneUserDefaults.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneLanguageLayout.h"
#include "kit/ui/TruneLanguagePickerState.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/menus/TruneLanguageMenuButton.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A fresh user-defaults store and German as the system's first recognised language.
class LanguagePickerTest : public ::testing::Test {
protected:
    LanguagePickerTest()
    {
        TruneAnimations::setEnabled(false);
        setSystemLanguages({u"xx-YY"_s, u"de-AT"_s, u"en-US"_s});
    }
    ~LanguagePickerTest() override { TruneSystemLanguages::resetProvider(); }

    static void setSystemLanguages(const QStringList& tags)
    {
        TruneSystemLanguages::setProvider([tags] { return tags; });
    }
    static void store(const QString& code)
    {
        TruneUserDefaults::standard().setString(TruneLanguage::defaultsKey, code);
    }
    static QString stored()
    {
        return TruneUserDefaults::standard().string(TruneLanguage::defaultsKey).value_or(QString());
    }

    TempHome m_home;
};

// What the user does with the mouse or the keyboard: the entry becomes current, then activated.
void userChooses(TruneLanguagePicker& picker, int index)
{
    picker.setCurrentIndex(index);
    emit picker.activated(index);
}

int indexOf(const TruneLanguagePicker& picker, TruneLanguage language)
{
    return picker.findData(language.rawValue());
}

QAction* actionFor(const TruneLanguageMenuButton& button, TruneLanguage language)
{
    for (QAction* action : button.menu()->actions()) {
        if (action->data().toString() == language.rawValue())
            return action;
    }
    return nullptr;
}

bool showsCheckmark(const QAction& action)
{
    return !action.icon().isNull();
}

// Counts the languageDidChange announcements while it lives.
class AnnouncementCounter final {
public:
    AnnouncementCounter()
    {
        m_connection
            = QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted, [this](const QString& name) {
                  if (name == TruneNotificationName::languageDidChange)
                      ++count;
              });
    }
    ~AnnouncementCounter() { QObject::disconnect(m_connection); }

    int count = 0;

private:
    QMetaObject::Connection m_connection;
};

// The controls on the dark ground they are drawn for.
class GroundWindow final : public QWidget {
public:
    GroundWindow()
    {
        QPalette ground = palette();
        ground.setColor(QPalette::Window, groundStops(TruneProductPalette::deepEmerald).middle);
        setPalette(ground);
        setAutoFillBackground(true);
        new QHBoxLayout(this);
    }
    void add(QWidget* widget) { layout()->addWidget(widget); }
};

} // namespace

TEST_F(LanguagePickerTest, PickerListsTheSystemEntryASeparatorAndEveryLanguageByEnglishName)
{
    const TruneLanguagePicker picker(TruneLanguage::en, {});
    ASSERT_EQ(picker.count(), 39);
    EXPECT_FALSE(picker.isEditable());
    EXPECT_EQ(picker.itemText(0), u"System Language (Deutsch)"_s);
    EXPECT_EQ(picker.itemData(1, Qt::AccessibleDescriptionRole).toString(), u"separator"_s);
    const std::vector<TruneLanguage> sorted = TruneLanguage::sortedCases();
    for (size_t i = 0; i < sorted.size(); ++i) {
        const int index = static_cast<int>(i) + 2;
        EXPECT_EQ(picker.itemText(index), sorted[i].displayName());
        EXPECT_EQ(picker.itemData(index).toString(), sorted[i].rawValue());
    }
}

TEST_F(LanguagePickerTest, TextsFollowThePickersLanguage)
{
    struct Case {
        TruneLanguage language;
        std::optional<QString> title;
        QString systemEntry;
        QString shownTitle;
    };
    const std::vector<Case> cases{
        {TruneLanguage::en, std::nullopt, u"System Language (Deutsch)"_s, u"Language"_s},
        {TruneLanguage::tr, std::nullopt, u"Sistem Dili (Deutsch)"_s, u"Dil"_s},
        {TruneLanguage::tr, u"Arayüz"_s, u"Sistem Dili (Deutsch)"_s, u"Arayüz"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language.rawValue().toStdString());
        TruneLanguagePicker picker(c.language, {.title = c.title, .showTitle = false});
        EXPECT_EQ(picker.itemText(0), c.systemEntry);
        EXPECT_EQ(picker.title(), c.shownTitle);
        EXPECT_EQ(picker.accessibleName(), c.shownTitle);
    }

    // A later language change renames the entry; the stored language stays out of it.
    TruneLanguagePicker picker(TruneLanguage::en, {});
    picker.setLanguage(TruneLanguage::tr);
    EXPECT_EQ(picker.itemText(0), u"Sistem Dili (Deutsch)"_s);
    EXPECT_EQ(picker.title(), u"Dil"_s);
}

TEST_F(LanguagePickerTest, WithoutARecognisedSystemLanguageTheSystemEntryIsEnglish)
{
    setSystemLanguages({u"xx"_s, u"tlh-KL"_s});
    store(u"de"_s);
    TruneLanguagePicker picker(TruneLanguage::de, {});
    EXPECT_EQ(picker.itemText(0), u"System Language (English)"_s);
    QList<TruneLanguage> selected;
    QObject::connect(
        &picker, &TruneLanguagePicker::languageSelected, [&](TruneLanguage language) { selected.append(language); });
    userChooses(picker, 0);
    EXPECT_EQ(selected, QList<TruneLanguage>{TruneLanguage::en});
}

TEST_F(LanguagePickerTest, TheStoredPreferenceDecidesTheShownSelection)
{
    struct Case {
        QString storedCode; // empty: nothing stored
        bool following;
    };
    const std::vector<Case> cases{
        {u""_s, true}, {u"system"_s, true}, {u"System"_s, true}, {u" SYSTEM "_s, true}, {u"fr"_s, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedCode.toStdString());
        TempHome home;
        if (!c.storedCode.isEmpty())
            store(c.storedCode);
        const TruneLanguagePicker picker(TruneLanguage::fr, {});
        EXPECT_EQ(picker.uiState().isFollowingSystem(), c.following);
        EXPECT_EQ(picker.currentIndex(), c.following ? 0 : indexOf(picker, TruneLanguage::fr));
    }
}

TEST_F(LanguagePickerTest, ChoosingTheSystemKeepsSystemStoredWhileTheOwnerAdoptsItsLanguage)
{
    store(u"fr"_s);
    TruneLanguagePicker picker(TruneLanguage::fr, {});
    QList<TruneLanguage> handed;
    QStringList storedDuringCallback;
    QObject::connect(&picker, &TruneLanguagePicker::languageSelected, [&](TruneLanguage language) {
        handed.append(language);
        TruneLanguage::setCurrent(language);
        storedDuringCallback.append(stored());
        picker.setLanguage(language);
    });
    const AnnouncementCounter announcements;

    // Choosing it again, when it is already the selection, runs every step once more.
    userChooses(picker, 0);
    userChooses(picker, 0);

    EXPECT_EQ(handed, (QList<TruneLanguage>{TruneLanguage::de, TruneLanguage::de}));
    EXPECT_EQ(storedDuringCallback, (QStringList{u"system"_s, u"system"_s}));
    EXPECT_EQ(stored(), u"system"_s);
    EXPECT_EQ(announcements.count, 4); // setFollowSystem and the owner's setCurrent, twice
    EXPECT_TRUE(picker.uiState().isFollowingSystem());
    EXPECT_EQ(picker.currentIndex(), 0);

    // Storing is no longer suppressed once the choice is over.
    TruneLanguage::setCurrent(TruneLanguage::it);
    EXPECT_EQ(stored(), u"it"_s);
}

TEST_F(LanguagePickerTest, SuppressionEndsAlsoWhenNobodyListens)
{
    TruneLanguagePicker picker(TruneLanguage::en, {});
    userChooses(picker, 0);
    TruneLanguage::setCurrent(TruneLanguage::ja);
    EXPECT_EQ(stored(), u"ja"_s);
}

TEST_F(LanguagePickerTest, ChoosingALanguageStoresItAndHandsItOver)
{
    TruneLanguagePicker picker(TruneLanguage::en, {});
    ASSERT_TRUE(picker.uiState().isFollowingSystem());
    QList<TruneLanguage> selected;
    QObject::connect(&picker, &TruneLanguagePicker::languageSelected, [&](TruneLanguage language) {
        selected.append(language);
        picker.setLanguage(language);
    });
    const AnnouncementCounter announcements;

    userChooses(picker, indexOf(picker, TruneLanguage::ptPT));
    userChooses(picker, indexOf(picker, TruneLanguage::ptPT));

    EXPECT_EQ(selected, (QList<TruneLanguage>{TruneLanguage::ptPT, TruneLanguage::ptPT}));
    EXPECT_EQ(announcements.count, 2);
    EXPECT_EQ(stored(), u"pt-PT"_s);
    EXPECT_FALSE(picker.uiState().isFollowingSystem());
    EXPECT_EQ(picker.currentIndex(), indexOf(picker, TruneLanguage::ptPT));
}

TEST_F(LanguagePickerTest, AnOwnerThatKeepsItsLanguageKeepsItShown)
{
    store(u"en"_s);
    TruneLanguagePicker picker(TruneLanguage::en, {});
    userChooses(picker, indexOf(picker, TruneLanguage::sv));
    EXPECT_EQ(stored(), u"sv"_s);
    EXPECT_EQ(picker.currentIndex(), indexOf(picker, TruneLanguage::en));
}

TEST_F(LanguagePickerTest, EachAppearanceReadsAPreferenceChangedElsewhere)
{
    struct Case {
        const char* appearance;
        std::function<void(TruneLanguagePicker&)> appear;
    };
    const std::vector<Case> cases{
        {"shown", [](TruneLanguagePicker& picker) { picker.show(); }},
        {"popup", [](TruneLanguagePicker& picker) { picker.showPopup(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.appearance);
        store(u"nl"_s);
        TruneLanguagePicker picker(TruneLanguage::nl, {});
        int signalsSeen = 0;
        QObject::connect(&picker, &QComboBox::currentIndexChanged, [&signalsSeen] { ++signalsSeen; });
        QObject::connect(&picker, &QComboBox::activated, [&signalsSeen] { ++signalsSeen; });
        store(u"System"_s);
        c.appear(picker);
        EXPECT_EQ(picker.currentIndex(), 0);
        EXPECT_EQ(signalsSeen, 0); // re-syncs are silent
        picker.hidePopup();
    }
}

TEST_F(LanguagePickerTest, StatePublishesOnlyChanges)
{
    TruneLanguagePickerState state;
    QList<bool> published;
    QObject::connect(&state, &TruneLanguagePickerState::isFollowingSystemChanged,
        [&](bool following) { published.append(following); });
    state.syncFromDefaults();
    EXPECT_TRUE(published.isEmpty());
    store(u"tr"_s);
    state.syncFromDefaults();
    state.syncFromDefaults();
    EXPECT_EQ(published, QList<bool>{false});
    EXPECT_FALSE(state.isFollowingSystem());
}

TEST_F(LanguagePickerTest, AnUntitledPickerStaysBetween190And260Wide)
{
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr, TruneLanguage::ptBR}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        store(language.rawValue());
        GroundWindow window;
        auto* picker = new TruneLanguagePicker(language, {.showTitle = false});
        window.add(picker);
        window.show();
        EXPECT_GE(picker->width(), 190);
        EXPECT_LE(picker->width(), 260);
    }

    const TruneLanguagePicker titled(TruneLanguage::en, {.showTitle = true});
    EXPECT_EQ(titled.minimumWidth(), 0);
    EXPECT_EQ(titled.maximumWidth(), QWIDGETSIZE_MAX);
}

TEST_F(LanguagePickerTest, MenuButtonChecksTheChoiceInForce)
{
    store(u"tr"_s);
    TruneLanguageMenuButton button(TruneLanguage::tr);
    const QList<QAction*> actions = button.menu()->actions();
    ASSERT_EQ(actions.size(), 39);
    EXPECT_EQ(actions.at(0)->text(), u"Sistem Dili (Deutsch)"_s);
    EXPECT_TRUE(actions.at(1)->isSeparator());
    EXPECT_EQ(actions.at(2)->text(), TruneLanguage::sortedCases().front().displayName());

    const auto checked = [&actions] {
        QStringList names;
        for (const QAction* action : actions) {
            if (showsCheckmark(*action))
                names.append(action->text());
        }
        return names;
    };
    EXPECT_EQ(checked(), QStringList{TruneLanguage(TruneLanguage::tr).displayName()});

    store(u"system"_s);
    emit button.menu()->aboutToShow();
    EXPECT_EQ(checked(), QStringList{actions.at(0)->text()});
}

TEST_F(LanguagePickerTest, MenuButtonChoicesFollowTheSameRules)
{
    store(u"en"_s);
    TruneLanguageMenuButton button(TruneLanguage::en);
    QList<TruneLanguage> handed;
    QStringList storedDuringCallback;
    QObject::connect(&button, &TruneLanguageMenuButton::languageSelected, [&](TruneLanguage language) {
        handed.append(language);
        TruneLanguage::setCurrent(language);
        storedDuringCallback.append(stored());
        button.setLanguage(language);
    });

    button.menu()->actions().at(0)->trigger();
    EXPECT_EQ(stored(), u"system"_s);
    EXPECT_EQ(button.text(), u"DE"_s);
    EXPECT_TRUE(showsCheckmark(*button.menu()->actions().at(0)));
    EXPECT_FALSE(showsCheckmark(*actionFor(button, TruneLanguage::de)));

    actionFor(button, TruneLanguage::zhHant)->trigger();
    actionFor(button, TruneLanguage::zhHant)->trigger();
    EXPECT_EQ(stored(), u"zh-Hant"_s);
    EXPECT_EQ(button.text(), u"ZH-TW"_s);
    EXPECT_TRUE(showsCheckmark(*actionFor(button, TruneLanguage::zhHant)));
    EXPECT_FALSE(showsCheckmark(*button.menu()->actions().at(0)));

    EXPECT_EQ(handed, (QList<TruneLanguage>{TruneLanguage::de, TruneLanguage::zhHant, TruneLanguage::zhHant}));
    EXPECT_EQ(storedDuringCallback, (QStringList{u"system"_s, u"zh-Hant"_s, u"zh-Hant"_s}));
}

TEST_F(LanguagePickerTest, MenuButtonLabelIsTheGlobeAndTheShortCodeInACapsule)
{
    const TruneLanguageMenuButton english(TruneLanguage::en);
    const TruneLanguageMenuButton turkish(TruneLanguage::tr);
    EXPECT_EQ(english.toolTip(), u"Language"_s);
    EXPECT_EQ(english.accessibleName(), u"Language"_s);
    EXPECT_EQ(turkish.toolTip(), u"Dil"_s);
    EXPECT_EQ(turkish.accessibleName(), u"Dil"_s);
    EXPECT_NE(english.focusPolicy() & Qt::TabFocus, 0);

    const QFont font = truneFont(11, QFont::DemiBold, TruneFontDesign::rounded);
    EXPECT_EQ(english.font(), font);
    const QFontMetricsF metrics(font);
    EXPECT_EQ(english.sizeHint().width(), std::ceil(8 + 11 + 4 + metrics.horizontalAdvance(u"EN"_s) + 8));
    EXPECT_EQ(english.sizeHint().height(), std::ceil(4 + std::max<qreal>(metrics.height(), 11) + 4));
    EXPECT_EQ(english.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

    // Painted alone: white at 10 % inside the capsule, the 14 % border on its edge, nothing
    // outside the rounded ends.
    TruneLanguageMenuButton button(TruneLanguage::en);
    button.resize(button.sizeHint());
    QImage image(button.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const int middle = image.height() / 2;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_NEAR(qAlpha(image.pixel(0, middle)), std::lround(0.14 * 255 + 0.10 * 255 * 0.86), 4);
    const QRgb fill = image.pixel(image.width() / 2, 2); // above the code, below the border
    EXPECT_NEAR(qAlpha(fill), std::lround(0.10 * 255), 3);
    EXPECT_EQ(qRed(fill), 255);
}

TEST(TruneLanguageLayoutTest, ArabicPersianAndHebrewAreRightToLeft)
{
    for (const TruneLanguage language : TruneLanguage::allCases()) {
        SCOPED_TRACE(language.rawValue().toStdString());
        const bool rtl
            = language == TruneLanguage::ar || language == TruneLanguage::fa || language == TruneLanguage::he;
        EXPECT_EQ(truneLayoutDirection(language), rtl ? Qt::RightToLeft : Qt::LeftToRight);
    }
}

TEST(TruneLanguageLayoutTest, ModifiersReachTheWholeTree)
{
    QWidget root;
    auto* child = new QLabel(&root);
    truneLocaleEnvironment(root, TruneLanguage::zhHant);
    truneContentLayoutDirection(root, TruneLanguage::he);
    EXPECT_EQ(child->locale(), QLocale(u"zh-Hant"_s));
    EXPECT_EQ(child->locale().script(), QLocale::TraditionalChineseScript);
    EXPECT_EQ(child->layoutDirection(), Qt::RightToLeft);

    truneContentLayoutDirection(root, TruneLanguage::tr);
    EXPECT_EQ(child->layoutDirection(), Qt::LeftToRight);
}

TEST_F(LanguagePickerTest, Screenshots)
{
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        const QString lang = language.rawValue();
        store(lang);
        GroundWindow window;
        auto* picker = new TruneLanguagePicker(language, {.showTitle = false});
        window.add(picker);
        auto* button = new TruneLanguageMenuButton(language);
        window.add(button);
        window.show();
        saveScreenshot(window, u"kit-language-picker-closed-"_s + lang);
        // Closed, the picker shows the chosen language beside the button, both whole.
        EXPECT_EQ(picker->currentIndex(), indexOf(*picker, language));
        expectEveryWidgetShownWhole(window);

        store(u"system"_s);
        button->menu()->popup(button->mapToGlobal(button->rect().bottomLeft()));
        saveScreenshot(*button->menu(), u"kit-language-picker-menu-button-open-"_s + lang);
        // Open, the button's menu lists the system entry and the languages.
        EXPECT_TRUE(button->menu()->isVisible());
        EXPECT_GT(button->menu()->actions().size(), 2);
        button->menu()->hide();
    }
}
