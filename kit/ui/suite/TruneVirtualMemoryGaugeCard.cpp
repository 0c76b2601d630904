#include "kit/ui/suite/TruneVirtualMemoryGaugeCard.h"

#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/ui/TruneAdaptiveGridLayout.h"
#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneFlowLayout.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProgressTrack.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "kit/ui/suite/TruneSuiteCommandDelivery.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal cardPadding = 14;
constexpr qreal cardCornerRadius = 13;
constexpr int sectionSpacing = 10;
constexpr int headerSpacing = 8;

constexpr qreal gaugeTrackHeight = 6;
constexpr qreal gaugeSpacing = 5;
constexpr qreal gaugeMinimumFill = 4;

constexpr qreal tilePaddingH = 9;
constexpr qreal tilePaddingV = 7;
constexpr qreal tileSpacing = 2;
constexpr qreal tileCornerRadius = 8;
constexpr qreal tileValueMinimumScale = 0.8;

// One of the card's commands to Lumbra.
struct Action {
    QString symbol;
    bool isActive;
    bool bringToFront;
    QString enToast; // empty: the command confirms nothing
    QString trToast;
};

Action actionFor(TruneSuiteCommandKind kind)
{
    switch (kind) {
    case TruneSuiteCommandKind::lumbraThawAll:
        return {u"sun.max.fill"_s, false, false, u"Sent Thaw All to Lumbra"_s,
            u"Lumbra donukları uyandırma komutu gönderildi"_s};
    case TruneSuiteCommandKind::lumbraOpenDiskLab:
        return {u"externaldrive.badge.timemachine"_s, false, true, {}, {}};
    default:
        return {u"bolt.fill"_s, true, false, u"Triggered Lumbra Smart RAM Offload"_s,
            u"Lumbra Akıllı RAM Açma tetiklendi"_s};
    }
}

// Halves away from zero, of a percentage held within 0...100.
QString wholePercent(double percent)
{
    const double held = std::isnan(percent) ? 0 : std::clamp(percent, 0.0, 100.0);
    return truneDecimal(static_cast<qint64>(std::llround(held)));
}

QString usedOfTotal(qint64 used, qint64 total)
{
    return TruneByteFormatter::format(used) + u" / "_s + TruneByteFormatter::format(total);
}

QString joinedNames(const QStringList& names)
{
    return names.join(u", "_s);
}

QFont captionBold()
{
    return truneFont(10, QFont::Bold);
}

TruneCapsuleStyle badgeStyle(const QFont& font, const QColor& content, const QColor& fill, qreal paddingH)
{
    return {.font = font, .content = content, .fill = fill, .horizontalPadding = paddingH, .verticalPadding = 2};
}

QWidget* plainHolder()
{
    auto* holder = new QWidget;
    holder->setAttribute(Qt::WA_TranslucentBackground);
    return holder;
}

void drawLine(QPainter& painter, const QRectF& rect, const QFont& font, const QColor& color, const QString& text,
    Qt::Alignment alignment, Qt::TextElideMode elide = Qt::ElideRight)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, static_cast<int>(alignment | Qt::AlignVCenter | Qt::TextSingleLine),
        QFontMetricsF(font).elidedText(text, elide, rect.width() + 0.5));
}

// The gauge's fonts.
QFont gaugeTitleFont()
{
    return captionBold();
}

QFont gaugeValueFont()
{
    return truneFont(10.5, QFont::DemiBold, TruneFontDesign::monospaced);
}

qreal gaugeLineHeight()
{
    return std::ceil(std::max(QFontMetricsF(gaugeTitleFont()).height(), QFontMetricsF(gaugeValueFont()).height()));
}

// The tile's fonts.
QFont tileLabelFont()
{
    return truneFont(9.5);
}

QFont tileValueFont(qreal scale = 1)
{
    return truneFont(10.5 * scale, QFont::Bold, TruneFontDesign::monospaced);
}

QFont tileDetailFont()
{
    return truneFont(9);
}

} // namespace

// MARK: gauge

TruneVirtualMemoryGauge::TruneVirtualMemoryGauge(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TruneVirtualMemoryGauge::setFigures(
    const QString& title, const QString& valueText, double fraction, const QColor& tint)
{
    const double held = std::isnan(fraction) ? 0 : std::clamp(fraction, 0.0, 1.0);
    if (title == m_title && valueText == m_valueText && held == m_fraction && tint == m_tint)
        return;
    m_title = title;
    m_valueText = valueText;
    m_fraction = held;
    m_tint = tint;
    setAccessibleName(title + u": "_s + valueText);
    update();
}

QRectF TruneVirtualMemoryGauge::trackRect() const
{
    return {0, gaugeLineHeight() + gaugeSpacing, qreal(width()), gaugeTrackHeight};
}

qreal TruneVirtualMemoryGauge::fillWidth() const
{
    return TruneProgressTrack::fillWidth(m_fraction, trackRect().width(), gaugeMinimumFill);
}

QSize TruneVirtualMemoryGauge::sizeHint() const
{
    const qreal text = QFontMetricsF(gaugeTitleFont()).horizontalAdvance(m_title) + 8
        + QFontMetricsF(gaugeValueFont()).horizontalAdvance(m_valueText);
    return {static_cast<int>(std::ceil(text)), static_cast<int>(gaugeLineHeight() + gaugeSpacing + gaugeTrackHeight)};
}

QSize TruneVirtualMemoryGauge::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void TruneVirtualMemoryGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal lineHeight = gaugeLineHeight();
    const qreal valueWidth
        = std::min<qreal>(width(), std::ceil(QFontMetricsF(gaugeValueFont()).horizontalAdvance(m_valueText)) + 1);
    drawLine(painter, QRectF(width() - valueWidth, 0, valueWidth, lineHeight), gaugeValueFont(),
        TruneGlassTokens::textPrimary(), m_valueText, Qt::AlignRight);
    drawLine(painter, QRectF(0, 0, std::max<qreal>(0, width() - valueWidth - 8), lineHeight), gaugeTitleFont(),
        TruneGlassTokens::textSecondary(), m_title, Qt::AlignLeft);
    TruneProgressTrack::paint(painter, trackRect(), m_fraction,
        {.track = truneColor(0xFFFFFF, 0.08),
            .fillLeading = m_tint,
            .fillTrailing = truneWithOpacity(m_tint, 0.55),
            .minimumFill = gaugeMinimumFill});
}

// MARK: figure tile

TruneVirtualMemoryStatTile::TruneVirtualMemoryStatTile(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TruneVirtualMemoryStatTile::setFigures(
    const QString& label, const QString& value, const QString& detail, const QColor& tint)
{
    if (label == m_label && value == m_value && detail == m_detail && tint == m_tint)
        return;
    const bool detailShownChanges = detail.isEmpty() != m_detail.isEmpty();
    m_label = label;
    m_value = value;
    m_detail = detail;
    m_tint = tint;
    setAccessibleName(label + u": "_s + value);
    setAccessibleDescription(detail);
    if (detailShownChanges)
        updateGeometry();
    update();
}

QSize TruneVirtualMemoryStatTile::sizeHint() const
{
    qreal height = 2 * tilePaddingV + QFontMetricsF(tileLabelFont()).height() + tileSpacing
        + QFontMetricsF(tileValueFont()).height();
    if (!m_detail.isEmpty())
        height += tileSpacing + QFontMetricsF(tileDetailFont()).height();
    const qreal width = 2 * tilePaddingH
        + std::max(QFontMetricsF(tileLabelFont()).horizontalAdvance(m_label),
            QFontMetricsF(tileValueFont()).horizontalAdvance(m_value));
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize TruneVirtualMemoryStatTile::minimumSizeHint() const
{
    return {static_cast<int>(2 * tilePaddingH), sizeHint().height()};
}

void TruneVirtualMemoryStatTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::roundedRect(QRectF(rect()), tileCornerRadius), TruneGlassTokens::surface1());

    const qreal inner = std::max<qreal>(0, width() - 2 * tilePaddingH);
    qreal top = tilePaddingV;
    const qreal labelHeight = QFontMetricsF(tileLabelFont()).height();
    drawLine(painter, QRectF(tilePaddingH, top, inner, labelHeight), tileLabelFont(), TruneGlassTokens::textMuted(),
        m_label, Qt::AlignLeft);
    top += labelHeight + tileSpacing;

    // A value short of room first shrinks to 80 % of its size, and is only then shortened.
    const qreal fullWidth = QFontMetricsF(tileValueFont()).horizontalAdvance(m_value);
    const qreal scale = fullWidth <= inner || fullWidth <= 0 ? 1 : std::max(tileValueMinimumScale, inner / fullWidth);
    const qreal valueHeight = QFontMetricsF(tileValueFont()).height();
    drawLine(
        painter, QRectF(tilePaddingH, top, inner, valueHeight), tileValueFont(scale), m_tint, m_value, Qt::AlignLeft);
    top += valueHeight + tileSpacing;

    if (!m_detail.isEmpty())
        drawLine(painter, QRectF(tilePaddingH, top, inner, QFontMetricsF(tileDetailFont()).height()), tileDetailFont(),
            TruneGlassTokens::textSecondary(), m_detail, Qt::AlignLeft, Qt::ElideMiddle);
}

// MARK: card

TruneVirtualMemoryGaugeCard::TruneVirtualMemoryGaugeCard(const TruneVirtualMemorySummary& summary,
    TruneLanguage language, const QColor& accentColor, TruneSuiteApp sourceApp,
    std::function<void(const QString&)> onFeedback, QWidget* parent)
    : QWidget(parent)
    , m_summary(summary)
    , m_language(language)
    , m_accentColor(accentColor)
    , m_sourceApp(sourceApp)
    , m_onFeedback(std::move(onFeedback))
{
    auto* column = plainHolder();
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(sectionSpacing);
    columnLayout->addWidget(buildHeader());
    columnLayout->addWidget(buildGauges());
    columnLayout->addWidget(buildTiles());

    auto* card = new TruneGlassCard(cardPadding, cardCornerRadius);
    card->setContent(column);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(card);
    sync();
}

void TruneVirtualMemoryGaugeCard::setSummary(const TruneVirtualMemorySummary& summary)
{
    m_summary = summary;
    sync();
}

void TruneVirtualMemoryGaugeCard::setCommandBus(const TruneSuiteCommandBus& bus)
{
    m_bus = bus;
}

QColor TruneVirtualMemoryGaugeCard::statusTint(const TruneVirtualMemorySummary& summary)
{
    if (summary.pressureLevel == u"critical"_s)
        return TruneGlassTokens::danger();
    if (summary.isLumbraVirtualExpansionActive())
        return TruneSuiteAccents::lumbraViolet();
    if (summary.swapUsedBytes >= 1)
        return TruneSuiteAccents::vantorCyan();
    return TruneGlassTokens::success();
}

QWidget* TruneVirtualMemoryGaugeCard::buildHeader()
{
    m_badges = plainHolder();
    auto* flow = new TruneFlowLayout(7, 5, m_badges);
    flow->setContentsMargins(0, 0, 0, 0);
    m_title = new TruneCapsuleBadge({.font = truneFont(TruneTextStyle::subheadline, QFont::Bold),
                                        .content = TruneGlassTokens::textPrimary(),
                                        .horizontalPadding = 0,
                                        .verticalPadding = 0,
                                        .spacing = 6},
        u"externaldrive.badge.timemachine"_s,
        truneText(u"Virtual Memory & Lumbra Pools"_s, u"Sanal Bellek & Lumbra Havuzları"_s, m_language));
    m_title->setObjectName(u"vmCardTitle"_s);
    m_status = new TruneCapsuleBadge({}, {}, {});
    m_status->setObjectName(u"vmCardStatus"_s);
    // The same in every language.
    m_lumbraLive = new TruneCapsuleBadge(badgeStyle(truneFont(9.5, QFont::DemiBold), TruneGlassTokens::success(),
                                             truneWithOpacity(TruneGlassTokens::success(), 0.18), 6),
        {}, u"Lumbra Live"_s);
    m_lumbraLive->setObjectName(u"vmCardLumbraLive"_s);
    m_effective = new TruneCapsuleBadge(badgeStyle(truneFont(9.5, QFont::DemiBold, TruneFontDesign::monospaced),
                                            TruneGlassTokens::textSecondary(), TruneGlassTokens::surface2(), 6),
        {}, {});
    m_effective->setObjectName(u"vmCardEffective"_s);
    for (QWidget* badge : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_status),
             static_cast<QWidget*>(m_lumbraLive), static_cast<QWidget*>(m_effective)})
        flow->addWidget(badge);

    m_actions = plainHolder();
    m_actions->setObjectName(u"vmCardActions"_s);
    auto* actionsLayout = new QHBoxLayout(m_actions);
    actionsLayout->setContentsMargins(0, 0, 0, 0);
    actionsLayout->setSpacing(6);
    m_offload = addActionButton(TruneSuiteCommandKind::lumbraSmartOffload, u"vmCardSmartOffload"_s);
    m_thaw = addActionButton(TruneSuiteCommandKind::lumbraThawAll, u"vmCardThaw"_s);
    m_diskLab = addActionButton(TruneSuiteCommandKind::lumbraOpenDiskLab, u"vmCardDiskLab"_s);
    m_offload->setText(truneText(u"Smart Offload"_s, u"Akıllı RAM Aç"_s, m_language));
    m_diskLab->setText(truneText(u"Disk Lab"_s, u"Disk Lab"_s, m_language));
    m_actions->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_header = plainHolder();
    m_headerLayout = new QBoxLayout(QBoxLayout::LeftToRight, m_header);
    m_headerLayout->setContentsMargins(0, 0, 0, 0);
    m_headerLayout->setSpacing(headerSpacing);
    m_headerLayout->addWidget(m_badges, 1);
    m_headerLayout->addWidget(m_actions, 0);
    m_header->installEventFilter(this);
    return m_header;
}

TruneGlassButton* TruneVirtualMemoryGaugeCard::addActionButton(TruneSuiteCommandKind kind, const QString& objectName)
{
    const Action action = actionFor(kind);
    auto* button = new TruneGlassButton({}, action.isActive);
    button->setObjectName(objectName);
    button->setSymbol(action.symbol);
    button->setFont(captionBold());
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(button, &QAbstractButton::clicked, this, [this, kind] { send(kind); });
    m_actions->layout()->addWidget(button);
    return button;
}

QWidget* TruneVirtualMemoryGaugeCard::buildGauges()
{
    auto* gauges = plainHolder();
    auto* grid = new TruneAdaptiveGridLayout(
        {.minimumItemWidth = 256, .maximumItemWidth = std::nullopt, .columnSpacing = 14, .rowSpacing = 10}, gauges);
    grid->setContentsMargins(0, 0, 0, 0);
    m_physicalGauge = new TruneVirtualMemoryGauge;
    m_physicalGauge->setObjectName(u"vmCardPhysicalGauge"_s);
    m_virtualGauge = new TruneVirtualMemoryGauge;
    m_virtualGauge->setObjectName(u"vmCardVirtualGauge"_s);
    grid->addWidget(m_physicalGauge);
    grid->addWidget(m_virtualGauge);
    return gauges;
}

QWidget* TruneVirtualMemoryGaugeCard::buildTiles()
{
    auto* tiles = plainHolder();
    auto* grid = new TruneAdaptiveGridLayout(
        {.minimumItemWidth = 155, .maximumItemWidth = std::nullopt, .columnSpacing = 8, .rowSpacing = 8}, tiles);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto addTile = [grid](const QString& name) {
        auto* tile = new TruneVirtualMemoryStatTile;
        tile->setObjectName(name);
        grid->addWidget(tile);
        return tile;
    };
    m_swapTile = addTile(u"vmCardSwapTile"_s);
    m_poolTile = addTile(u"vmCardPoolTile"_s);
    m_sparseTile = addTile(u"vmCardSparseTile"_s);
    m_ramDiskTile = addTile(u"vmCardRamDiskTile"_s);
    return tiles;
}

void TruneVirtualMemoryGaugeCard::sync()
{
    const QColor tint = statusTint(m_summary);
    syncBadges(tint);
    syncActions();
    syncGauges(tint);
    syncTiles();
    arrangeHeader();
}

void TruneVirtualMemoryGaugeCard::syncBadges(const QColor& statusTint)
{
    TruneCapsuleStyle titleStyle = m_title->capsuleStyle();
    titleStyle.symbolColor = statusTint;
    m_title->setCapsuleStyle(titleStyle);

    const bool vmActive = m_summary.isAnyVirtualMemoryActive();
    m_status->setCapsuleStyle(badgeStyle(
        truneFont(9.5, QFont::Bold, TruneFontDesign::monospaced), statusTint, truneWithOpacity(statusTint, 0.22), 7));
    m_status->setText(
        vmActive ? truneText(u"ACTIVE"_s, u"AÇIK"_s, m_language) : truneText(u"STANDBY"_s, u"HAZIR"_s, m_language));

    m_lumbraLive->setVisible(m_summary.isLumbraRunning);

    const bool hasVirtualArea = m_summary.totalVirtualAllocatedBytes() >= 1;
    if (hasVirtualArea)
        m_effective->setText(truneText(u"Effective: "_s, u"Efektif: "_s, m_language)
            + TruneByteFormatter::format(m_summary.totalEffectiveMemoryCapacityBytes()));
    m_effective->setVisible(hasVirtualArea);
}

void TruneVirtualMemoryGaugeCard::syncActions()
{
    m_actions->setVisible(TruneSuiteCatalog::isInstalled(TruneSuiteApp::lumbra));
    const qint64 frozen = m_summary.frozenAppCount;
    if (frozen >= 1) {
        const QString count = truneDecimal(frozen);
        m_thaw->setText(truneText(u"Thaw ("_s + count + u")"_s, u"Uyandır ("_s + count + u")"_s, m_language));
    }
    m_thaw->setVisible(frozen >= 1);
}

void TruneVirtualMemoryGaugeCard::syncGauges(const QColor& statusTint)
{
    const TruneVirtualMemorySummary& s = m_summary;
    m_physicalGauge->setFigures(truneText(u"Physical RAM"_s, u"Fiziksel RAM"_s, m_language),
        usedOfTotal(s.physicalUsedBytes, s.physicalTotalBytes) + u" ("_s + wholePercent(s.physicalUsedPercent())
            + u"%)"_s,
        s.physicalUsedPercent() / 100, m_accentColor);

    const QString virtualValue = s.totalVirtualAllocatedBytes() < 1
        ? truneText(u"0 B (Standby)"_s, u"0 B (Boşta)"_s, m_language)
        : usedOfTotal(s.totalVirtualUsedBytes(), s.totalVirtualAllocatedBytes()) + u" ("_s
            + wholePercent(s.virtualUsedPercent()) + u"%)"_s;
    m_virtualGauge->setFigures(
        truneText(u"Virtual RAM Area (Swap + Lumbra)"_s, u"Sanal RAM Alanı (Swap + Lumbra)"_s, m_language),
        virtualValue, s.virtualUsedPercent() / 100, statusTint);
}

void TruneVirtualMemoryGaugeCard::syncTiles()
{
    const TruneVirtualMemorySummary& s = m_summary;
    const QString off = truneText(u"Off"_s, u"Kapalı"_s, m_language);

    const QString swapLabel
        = s.swapFileCount < 1 ? u"macOS Swap"_s : u"macOS Swap ("_s + truneDecimal(s.swapFileCount) + u")"_s;
    QString swapDetail;
    if (s.swapTotalBytes >= 1)
        swapDetail = wholePercent(double(s.swapUsedBytes) / double(s.swapTotalBytes) * 100) + u"% • "_s
            + (s.swapEncrypted ? u"AES-XTS"_s : u"Plain"_s);
    m_swapTile->setFigures(swapLabel, usedOfTotal(s.swapUsedBytes, s.swapTotalBytes), swapDetail,
        s.swapUsedBytes < 1 ? TruneGlassTokens::textSecondary() : TruneSuiteAccents::vantorCyan());

    const bool pools = s.activeDiskPoolCount >= 1;
    m_poolTile->setFigures(truneText(u"mmap Disk Pools"_s, u"Disk Bellek Havuzu"_s, m_language),
        pools ? usedOfTotal(s.diskPoolActualDiskBytes, s.diskPoolVirtualBytes) : off, joinedNames(s.diskPoolNames),
        pools ? TruneSuiteAccents::lumbraViolet() : TruneGlassTokens::textMuted());

    const bool sparse = s.mountedSparseDiskCount >= 1;
    m_sparseTile->setFigures(truneText(u"Virtual APFS Disk"_s, u"Sanal APFS Disk"_s, m_language),
        sparse ? usedOfTotal(s.sparseDiskActualBytes, s.sparseDiskVirtualBytes) : off, joinedNames(s.sparseDiskNames),
        sparse ? TruneSuiteAccents::sparseDiskGreen() : TruneGlassTokens::textMuted());

    const bool ramDisks = s.mountedRAMDiskCount >= 1;
    const QString ramValue = ramDisks
        ? TruneByteFormatter::format(s.ramDiskTotalBytes)
        : truneDecimal(s.frozenAppCount) + u' ' + truneText(u"frozen"_s, u"donuk"_s, m_language);
    const QString ramDetail = s.reclaimedFromFrozenBytes >= 1
        ? u"↓ "_s + TruneByteFormatter::format(s.reclaimedFromFrozenBytes)
        : joinedNames(s.ramDiskNames);
    m_ramDiskTile->setFigures(truneText(u"RAM-Disk / Frozen"_s, u"RAM-Disk / Donuk"_s, m_language), ramValue, ramDetail,
        ramDisks || s.frozenAppCount >= 1 ? TruneGlassTokens::warning() : TruneGlassTokens::textMuted());
}

// Side by side when the title, the badges and the buttons fit on one line; else the buttons go
// below the badges.
void TruneVirtualMemoryGaugeCard::arrangeHeader()
{
    const bool actionsShown = !m_actions->isHidden();
    const int oneLine = m_badges->sizeHint().width() + headerSpacing + m_actions->sizeHint().width();
    const bool wide = !actionsShown || oneLine <= m_header->width();
    const auto direction = wide ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (m_headerLayout->direction() == direction)
        return;
    m_headerLayout->setDirection(direction);
    m_headerLayout->setAlignment(m_actions, wide ? Qt::AlignVCenter : Qt::AlignLeading);
}

bool TruneVirtualMemoryGaugeCard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_header && event->type() == QEvent::Resize)
        arrangeHeader();
    return QWidget::eventFilter(watched, event);
}

void TruneVirtualMemoryGaugeCard::send(TruneSuiteCommandKind kind)
{
    const Action action = actionFor(kind);
    const TruneSuiteCommandBus bus = m_bus.value_or(TruneSuiteCommandBus::shared());
    TruneSuiteCommandDelivery::send(bus,
        {.kind = kind,
            .from = m_sourceApp,
            .to = TruneSuiteApp::lumbra,
            .options = {.launchIfNeeded = true, .bringToFront = action.bringToFront}},
        this, [this, action](const TruneSuiteCommandDelivery::Outcome& outcome) {
            if (outcome && m_onFeedback && !action.enToast.isEmpty())
                m_onFeedback(truneText(action.enToast, action.trToast, m_language));
        });
}
