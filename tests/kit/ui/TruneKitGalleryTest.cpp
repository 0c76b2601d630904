// One picture of the whole design system per language, so a person can judge every component,
// every symbol and the program's emblem side by side after a test run.

#include "kit/localization/TruneLanguage.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneAppEmblem.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFlowLayout.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassInputField.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneLanguagePicker.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"
#include "kit/ui/TruneToastBanner.h"
#include "kit/ui/TruneVersionBadge.h"
#include "kit/ui/menus/TruneLanguageMenuButton.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QLabel* caption(const QString& text, TruneTextStyle style = TruneTextStyle::headline)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(truneFont(style));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textSecondary());
    label->setPalette(palette);
    return label;
}

QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = 12)
{
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch();
    return holder;
}

QWidget* buttons(TruneLanguage language)
{
    auto* held = new TrunePrimaryButton(truneText(u"Held"_s, u"Basılı"_s, language));
    held->setDown(true);
    auto* heldGlass = new TruneGlassButton(truneText(u"Held"_s, u"Basılı"_s, language));
    heldGlass->setDown(true);
    return row({new TrunePrimaryButton(truneText(u"Update All"_s, u"Tümünü Güncelle"_s, language)), held,
        new TruneGlassButton(truneText(u"Check for Updates"_s, u"Güncellemeleri Denetle"_s, language)),
        new TruneGlassButton(truneText(u"Active"_s, u"Etkin"_s, language), true), heldGlass,
        new TruneSpinner(TruneSpinnerSize::small), new TruneSpinner(TruneSpinnerSize::regular)});
}

QWidget* card(TruneLanguage language)
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption(truneText(u"Glass card"_s, u"Cam kart"_s, language)));
    auto* field = new QLineEdit;
    field->setPlaceholderText(truneText(u"Search apps"_s, u"Uygulama ara"_s, language));
    truneGlassInputField(*field, 8, 10, 6);
    layout->addWidget(field);
    auto* elided = new TruneElidedLabel(
        u"/Applications/A Very Long Application Name That Does Not Fit.app/Contents/Info.plist"_s, Qt::ElideMiddle);
    elided->setMaximumWidth(280);
    layout->addWidget(elided);
    auto* glassCard = new TruneGlassCard(14, 14);
    glassCard->setContent(content);
    glassCard->setFixedWidth(340);
    return glassCard;
}

QWidget* chips(TruneLanguage language)
{
    auto* holder = new QWidget;
    holder->setFixedWidth(420);
    auto* flow = new TruneFlowLayout(8, 8, holder);
    flow->setContentsMargins(0, 0, 0, 0);
    const QStringList words = language == TruneLanguage::tr
        ? QStringList{u"Tümü"_s, u"Güncellemeler"_s, u"Homebrew"_s, u"App Store"_s, u"Sparkle"_s, u"Doğrudan"_s,
            u"Yok sayılanlar"_s}
        : QStringList{u"All"_s, u"Updates"_s, u"Homebrew"_s, u"App Store"_s, u"Sparkle"_s, u"Direct"_s, u"Ignored"_s};
    for (const QString& word : words)
        flow->addWidget(new TruneGlassButton(word, word == words.first()));
    return holder;
}

QWidget* toasts(TruneLanguage language)
{
    return row({new TruneToastBanner(truneText(u"3 apps updated"_s, u"3 uygulama güncellendi"_s, language), false),
        new TruneToastBanner(truneText(u"brew is not installed"_s, u"brew kurulu değil"_s, language), true)});
}

QWidget* symbolSheet()
{
    auto* sheet = new QWidget;
    auto* grid = new QGridLayout(sheet);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);
    const QStringList names = TruneSymbols::names();
    constexpr int columns = 20;
    for (int index = 0; index < names.size(); ++index) {
        auto* glyph = new QLabel;
        glyph->setPixmap(TruneSymbols::pixmap(names[index], 24, TruneGlassTokens::textPrimary(), 1));
        glyph->setToolTip(names[index].toHtmlEscaped());
        grid->addWidget(glyph, index / columns, index % columns);
    }
    return sheet;
}

QWidget* emblems()
{
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        layout->addWidget(new TruneAppEmblem(TruneAppIdentity::truneUpdate, size), 0, Qt::AlignBottom);
    layout->addWidget(new TruneBrandMark(64, TruneBrandMarkStyle::quorvaneSuite()), 0, Qt::AlignBottom);
    layout->addStretch();
    return holder;
}

class TruneKitGalleryTest : public ::testing::TestWithParam<TruneLanguage> {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override { TruneAnimations::setEnabled(true); }

    TempHome home;
};

TEST_P(TruneKitGalleryTest, ShowsEveryComponentSymbolAndTheProgramsEmblem)
{
    const TruneLanguage language = GetParam();
    TruneGroundBackground ground(TruneProductPalette::deepEmerald);
    // Text and spinners on the dark ground take the light foreground the program's windows use.
    QPalette palette = ground.palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    ground.setPalette(palette);
    auto* layout = new QVBoxLayout(&ground);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(14);
    layout->addWidget(row(
        {new TruneBrandMark(40, TruneBrandMarkStyle::currentApp()), caption(u"TruneUpdate"_s, TruneTextStyle::title2),
            new TruneVersionBadge(TruneAppVersion{u"1.0.0"_s, u"100"_s}, true),
            new TruneLanguagePicker(language, {.showTitle = false}), new TruneLanguageMenuButton(language)}));
    layout->addWidget(caption(truneText(u"Buttons and spinners"_s, u"Düğmeler ve dönen göstergeler"_s, language)));
    layout->addWidget(buttons(language));
    layout->addWidget(row({card(language), chips(language)}, 24));
    layout->addWidget(toasts(language));
    layout->addWidget(caption(truneText(u"Symbols"_s, u"Simgeler"_s, language)));
    layout->addWidget(symbolSheet());
    layout->addWidget(caption(truneText(u"Emblems"_s, u"Amblemler"_s, language)));
    layout->addWidget(emblems());
    ground.resize(ground.sizeHint().expandedTo(QSize(1000, 0)));
    ground.show();

    EXPECT_FALSE(TruneSymbols::names().isEmpty());
    const QString path = saveScreenshot(ground, u"kit-gallery-"_s + language.rawValue());
    EXPECT_FALSE(QImage(path).isNull());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TruneKitGalleryTest,
    ::testing::Values(TruneLanguage(TruneLanguage::en), TruneLanguage(TruneLanguage::tr)),
    [](const auto& info) { return info.param.rawValue().toStdString(); });

} // namespace
