#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/ArchitectureBadge.h"
#include "app/views/parts/MetricPillCard.h"
#include "app/views/parts/OriginPillBadge.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneWorkspaceIcon.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/IcnsMaker.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QPainter>
#include <QTemporaryDir>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QColor emerald = accentColor(TruneProductPalette::deepEmerald);

TEST(OriginPillBadgeTest, NamesEachOriginWithItsSymbolAndColour)
{
    struct Case {
        AppOriginKind origin;
        QString english;
        QString turkish;
        QString symbol;
        QColor color;
    };
    const std::vector<Case> cases{
        {AppOriginKind::quorvane, u"Quorvane"_s, u"Quorvane"_s, u"sparkles"_s, emerald},
        {AppOriginKind::homebrewCask, u"Homebrew"_s, u"Homebrew"_s, u"shippingbox"_s, QColor(255, 169, 92)},
        {AppOriginKind::appStore, u"App Store"_s, u"App Store"_s, u"bag"_s, QColor(92, 196, 255)},
        {AppOriginKind::sparkle, u"Sparkle"_s, u"Sparkle"_s, u"wand.and.stars"_s, QColor(169, 139, 255)},
        {AppOriginKind::direct, u"Direct"_s, u"Doğrudan"_s, u"app"_s, TruneGlassTokens::textSecondary()},
    };
    for (const Case& c : cases) {
        const auto english = OriginPillBadge::look(c.origin, TruneLanguage::en);
        EXPECT_EQ(english, (OriginPillBadge::Look{c.english, c.symbol, c.color})) << c.english.toStdString();
        EXPECT_EQ(OriginPillBadge::look(c.origin, TruneLanguage::tr).label, c.turkish);
    }
}

TEST(OriginPillBadgeTest, TheCapsuleFitsItsLabelInEitherLanguage)
{
    OriginPillBadge badge(AppOriginKind::direct, TruneLanguage::en);
    const QSize english = badge.sizeHint();
    badge.setOrigin(AppOriginKind::direct, TruneLanguage::tr);
    EXPECT_GT(badge.sizeHint().width(), english.width()) << "\"Doğrudan\" is longer than \"Direct\"";
    EXPECT_EQ(badge.sizeHint().height(), english.height());
    EXPECT_EQ(badge.accessibleName(), u"Doğrudan"_s);

    // The capsule's ends are round, its middle filled with the origin colour at 11 %.
    badge.setOrigin(AppOriginKind::appStore, TruneLanguage::en);
    badge.resize(badge.sizeHint());
    QImage image(badge.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    badge.render(&image, {}, {}, QWidget::DrawChildren);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    const QColor fill = image.pixelColor(image.width() - 4, image.height() / 2);
    EXPECT_NEAR(fill.alphaF(), 0.11, 0.02);
}

TEST(ArchitectureBadgeTest, TagsEachArchitectureTheSameInEveryLanguage)
{
    struct Case {
        AppArchitecture architecture;
        QString text;
        QColor color;
    };
    const std::vector<Case> cases{
        {AppArchitecture::appleSilicon, u"ARM64"_s, TruneGlassTokens::textSecondary()},
        {AppArchitecture::intel, u"x86_64"_s, truneWithOpacity(TruneGlassTokens::warning(), 0.9)},
        {AppArchitecture::universal, u"UNIV"_s, TruneGlassTokens::textSecondary()},
        {AppArchitecture::unknown, u"—"_s, TruneGlassTokens::textMuted()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArchitectureBadge::look(c.architecture), (ArchitectureBadge::Look{c.text, c.color}));

    ArchitectureBadge badge(AppArchitecture::unknown);
    EXPECT_EQ(badge.accessibleName(), u"—"_s);
    EXPECT_LT(badge.sizeHint().width(), ArchitectureBadge(AppArchitecture::intel).sizeHint().width());
}

TEST(MetricPillCardTest, KeepsTheTitleOnOneLineAndWrapsTheValue)
{
    QWidget holder;
    auto* layout = new QVBoxLayout(&holder);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* card = new MetricPillCard(u"Updates"_s, u"12"_s, u"arrow.down.circle.fill"_s, emerald);
    layout->addWidget(card);
    layout->addStretch();
    holder.resize(220, 300);
    holder.show();

    const int oneLineHeight = card->height();
    EXPECT_EQ(oneLineHeight, card->heightForWidth(220));
    EXPECT_EQ(card->displayedTitle(), u"Updates"_s);
    EXPECT_EQ(card->valueLineCount(), 1);

    card->setTitle(u"Apps whose updates were found by every source we know of"_s);
    QCoreApplication::processEvents();
    EXPECT_TRUE(card->displayedTitle().endsWith(u"…"_s)) << card->displayedTitle().toStdString();
    EXPECT_EQ(card->height(), oneLineHeight);

    card->setValue(u"1,234 apps across 56 folders"_s);
    QCoreApplication::processEvents();
    EXPECT_GE(card->valueLineCount(), 2);
    EXPECT_GT(card->height(), oneLineHeight) << "the layout gives the wrapped value the height it needs";
    EXPECT_EQ(card->height(), card->heightForWidth(card->width()));
}

// Every shared component on the studio's ground, for a person to compare with the design.
QWidget* gallery(TruneLanguage language, const QString& appWithIcon)
{
    auto* ground = new TruneGroundBackground(TruneProductPalette::deepEmerald);
    ground->resize(1240, 700);
    auto* column = new QVBoxLayout(ground);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(18);

    auto* icons = new QHBoxLayout;
    icons->setSpacing(14);
    for (const qreal size : {22.0, 26.0, 34.0, 42.0, 44.0}) {
        icons->addWidget(new AppIconThumbnail(appWithIcon, size), 0, Qt::AlignVCenter);
        icons->addWidget(new AppIconThumbnail(u"/nonexistent/Gone.app"_s, size), 0, Qt::AlignVCenter);
    }
    icons->addStretch();
    column->addLayout(icons);

    auto* badges = new QHBoxLayout;
    badges->setSpacing(8);
    for (const AppOriginKind origin : {AppOriginKind::quorvane, AppOriginKind::homebrewCask, AppOriginKind::appStore,
             AppOriginKind::sparkle, AppOriginKind::direct})
        badges->addWidget(new OriginPillBadge(origin, language), 0, Qt::AlignVCenter);
    badges->addSpacing(24);
    for (const AppArchitecture architecture :
        {AppArchitecture::appleSilicon, AppArchitecture::intel, AppArchitecture::universal, AppArchitecture::unknown})
        badges->addWidget(new ArchitectureBadge(architecture), 0, Qt::AlignVCenter);
    badges->addStretch();
    column->addLayout(badges);

    auto* cards = new QHBoxLayout;
    cards->setSpacing(10);
    const auto text = [&](const char16_t* en, const char16_t* tr) {
        return truneText(QString::fromUtf16(en), QString::fromUtf16(tr), language);
    };
    cards->addWidget(new MetricPillCard(
        text(u"Installed apps", u"Yüklü uygulamalar"), u"148"_s, u"square.grid.2x2.fill"_s, emerald));
    cards->addWidget(new MetricPillCard(
        text(u"Updates available", u"Güncelleme var"), u"7"_s, u"arrow.down.circle.fill"_s, QColor(92, 196, 255)));
    cards->addWidget(new MetricPillCard(text(u"Homebrew packages whose newer versions are waiting to be installed",
                                            u"Yeni sürümleri kurulmayı bekleyen Homebrew paketleri"),
        u"12"_s, u"shippingbox.fill"_s, QColor(255, 169, 92)));
    cards->addWidget(new MetricPillCard(text(u"Total size", u"Toplam boyut"),
        u"38.4 GB across 148 bundles in 3 folders"_s, u"internaldrive"_s, QColor(169, 139, 255)));
    column->addLayout(cards);
    column->addStretch();
    return ground;
}

TEST(RowComponentsTest, Screenshots)
{
    QTemporaryDir dir;
    const QString app = BundleMaker::makeAppBundle(
        dir.filePath(u"Palette.app"_s), {.info = QVariantMap{{u"CFBundleIconFile"_s, u"AppIcon"_s}}});
    QImage art(256, 256, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    {
        QPainter painter(&art);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(0, 0, 256, 256);
        gradient.setColorAt(0, QColor(255, 120, 80));
        gradient.setColorAt(1, QColor(120, 60, 220));
        painter.setBrush(gradient);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(16, 16, 224, 224));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(96, 96, 64, 64));
    }
    QList<QImage> entries;
    for (const int edge : {32, 64, 128, 256})
        entries.append(art.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    BundleMaker::writeFile(app + u"/Contents/Resources/AppIcon.icns"_s, IcnsMaker::icns(entries));

    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        std::unique_ptr<QWidget> window(gallery(language, app));
        window->show();
        const qreal ratio = window->devicePixelRatioF();
        ASSERT_TRUE(waitUntil([&] {
            return std::ranges::all_of(std::array{22, 26, 34, 42, 44},
                [&](int size) { return !TruneWorkspaceIconCache::shared().icon(app, qCeil(size * ratio)).isNull(); });
        }));
        saveScreenshot(*window, u"components-gallery-"_s + language.rawValue());
    }
}

} // namespace
