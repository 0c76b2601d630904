#include "kit/ui/suite/TruneSuiteQuickActionsStrip.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "kit/ui/suite/TruneSuiteCommandDelivery.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

using Chip = TruneSuiteQuickActionsStrip::Chip;

QString withCount(const QString& title, qint64 count)
{
    return title + u" ("_s + truneDecimal(count) + u')';
}

TruneCapsuleStyle chipStyle(const Chip& chip, bool compact)
{
    return {.font = truneFont(compact ? 10 : 11, QFont::DemiBold),
        .content = chip.emphasized ? QColor(Qt::white) : chip.tint,
        .fill = truneWithOpacity(chip.tint, chip.emphasized ? 0.3 : 0.14),
        .border = truneWithOpacity(chip.tint, chip.emphasized ? 0.65 : 0.32),
        .horizontalPadding = compact ? 8.0 : 10.0,
        .verticalPadding = compact ? 4.0 : 5.0,
        .spacing = 5,
        .symbolPointSize = compact ? 9.5 : 10.5};
}

// One chip: the capsule look as a button.
class ChipButton final : public QAbstractButton {
public:
    ChipButton(const Chip& chip, bool compact)
        : m_style(chipStyle(chip, compact))
        , m_symbol(chip.symbol)
    {
        setText(chip.title);
        setObjectName(rawValue(chip.kind));
        setToolTip(chip.helpText.toHtmlEscaped());
        setAccessibleName(chip.title);
        setAccessibleDescription(chip.helpText);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const QSizeF size = TruneCapsuleLook::sizeHint(m_style, m_symbol, text());
        return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (isDown())
            painter.setOpacity(0.78);
        TruneCapsuleLook::paint(painter, QRectF(rect()), m_style, m_symbol, text());
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(
                painter, QRectF(rect()), TruneGlassShapes::capsuleRadius, TruneGlassTokens::textPrimary());
    }

    bool hitButton(const QPoint& pos) const override
    {
        return TruneGlassShapes::capsule(QRectF(rect())).contains(QPointF(pos));
    }

private:
    TruneCapsuleStyle m_style;
    QString m_symbol;
};

// A row that scrolls sideways without showing a scroll bar; an ordinary mouse wheel scrolls it too.
class SidewaysScrollArea final : public QScrollArea {
protected:
    void wheelEvent(QWheelEvent* event) override
    {
        const QPoint delta = event->angleDelta();
        const int steps = delta.x() != 0 ? delta.x() : delta.y();
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() - steps * bar->singleStep() / 40);
        event->accept();
    }
};

QWidget* header(TruneLanguage language)
{
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 2, 0);
    auto* badge = new TruneCapsuleBadge({.font = truneFont(10.5, QFont::Bold),
                                            .content = TruneGlassTokens::textMuted(),
                                            .horizontalPadding = 0,
                                            .verticalPadding = 0,
                                            .spacing = 5,
                                            .symbolPointSize = 10},
        u"square.grid.2x2.fill"_s, truneText(u"Suite Actions"_s, u"Suite Hızlı İşlemler"_s, language));
    badge->setObjectName(u"suiteActionsHeader"_s);
    layout->addWidget(badge);
    return holder;
}

} // namespace

TruneSuiteQuickActionsStrip::TruneSuiteQuickActionsStrip(TruneSuiteApp currentApp,
    const std::optional<TruneVirtualMemorySummary>& vmSummary, const std::optional<HaltrixLiveStatus>& haltrixStatus,
    TruneLanguage language, bool compact, std::function<void(const QString&)> onFeedback, QWidget* parent)
    : QWidget(parent)
    , m_currentApp(currentApp)
    , m_vmSummary(vmSummary)
    , m_haltrixStatus(haltrixStatus)
    , m_language(language)
    , m_compact(compact)
    , m_onFeedback(std::move(onFeedback))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_scroll = new SidewaysScrollArea;
    m_scroll->setObjectName(u"suiteActionsScroll"_s);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_scroll->setAutoFillBackground(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    sync();
}

void TruneSuiteQuickActionsStrip::setStatus(
    const std::optional<TruneVirtualMemorySummary>& vmSummary, const std::optional<HaltrixLiveStatus>& haltrixStatus)
{
    m_vmSummary = vmSummary;
    m_haltrixStatus = haltrixStatus;
    sync();
}

void TruneSuiteQuickActionsStrip::setCommandBus(const TruneSuiteCommandBus& bus)
{
    m_bus = bus;
}

std::vector<Chip> TruneSuiteQuickActionsStrip::chips(TruneSuiteApp currentApp,
    const std::optional<TruneVirtualMemorySummary>& vmSummary, const std::optional<HaltrixLiveStatus>& haltrixStatus,
    TruneLanguage language, bool compact, const std::function<bool(TruneSuiteApp)>& isInstalled)
{
    using Kind = TruneSuiteCommandKind;
    using App = TruneSuiteApp;
    const auto text = [language](const QString& en, const QString& tr) { return truneText(en, tr, language); };
    const auto groupShown = [&](App target) { return currentApp != target && isInstalled(target); };
    const QColor violet = TruneSuiteAccents::lumbraViolet();
    const QColor pink = TruneSuiteAccents::haltrixPink();
    const QColor cyan = TruneSuiteAccents::vantorCyan();

    std::vector<Chip> shown;
    if (groupShown(App::lumbra)) {
        shown.push_back({Kind::lumbraSmartOffload, App::lumbra, u"bolt.fill"_s, violet, false, false,
            text(u"Smart RAM Offload"_s, u"Akıllı RAM Aç"_s),
            text(u"Trigger Lumbra smart memory offload in the background"_s,
                u"Arka planda Lumbra akıllı bellek rahatlatmayı çalıştır"_s),
            text(u"Sent Smart RAM Offload to Lumbra"_s, u"Lumbra Akıllı RAM Açma tetiklendi"_s)});
        if (vmSummary && vmSummary->frozenAppCount >= 1) {
            const qint64 frozen = vmSummary->frozenAppCount;
            shown.push_back({Kind::lumbraThawAll, App::lumbra, u"sun.max.fill"_s, TruneGlassTokens::warning(), false,
                false, text(withCount(u"Thaw Apps"_s, frozen), withCount(u"Donukları Uyandır"_s, frozen)),
                text(u"Resume all apps frozen by Lumbra"_s, u"Lumbra tarafından dondurulan tüm uygulamaları uyandır"_s),
                text(u"Sent Thaw All command to Lumbra"_s, u"Lumbra tüm donukları uyandırma komutu gönderildi"_s)});
        }
        if (!compact)
            shown.push_back({Kind::lumbraOpenDiskLab, App::lumbra, u"externaldrive.badge.timemachine"_s, violet, false,
                true, text(u"Virtual Disk Lab"_s, u"Sanal Disk Lab"_s),
                text(u"Open Lumbra Virtual Disk & mmap Pool Lab"_s,
                    u"Lumbra Sanal Disk ve Bellek Havuzu Laboratuvarını aç"_s),
                text(u"Opening Lumbra Virtual Disk Lab"_s, u"Lumbra Sanal Disk Laboratuvarı açılıyor"_s)});
    }
    if (groupShown(App::haltrix)) {
        const qint64 problematic = haltrixStatus ? haltrixStatus->problematicCount : 0;
        const bool counted = problematic >= 1;
        shown.push_back(
            {Kind::haltrixAllFrozen, App::haltrix, u"xmark.octagon.fill"_s, TruneGlassTokens::danger(), counted, false,
                counted ? text(withCount(u"Kill Frozen"_s, problematic), withCount(u"Donmuşları Öldür"_s, problematic))
                        : text(u"Kill Frozen"_s, u"Donmuşları Öldür"_s),
                text(u"Terminate unresponsive or frozen apps via Haltrix"_s,
                    u"Yanıt vermeyen/donmuş uygulamaları Haltrix ile sonlandır"_s),
                text(u"Sent Kill All Frozen command to Haltrix"_s,
                    u"Haltrix'e donmuş uygulamaları öldürme komutu gönderildi"_s)});
        shown.push_back({Kind::haltrixOpenCrosshair, App::haltrix, u"scope"_s, pink, false, false,
            text(u"Target Window"_s, u"Pencere Hedefle"_s),
            text(u"Activate Haltrix crosshair to click-kill any frozen window"_s,
                u"Herhangi bir donmuş pencereyi tıklayıp öldürmek için Haltrix nişangahını aç"_s),
            text(u"Haltrix window targeter activated"_s, u"Haltrix pencere hedefleme nişangahı açıldı"_s)});
        shown.push_back({Kind::haltrixToggleQuickHUD, App::haltrix, u"bolt.circle.fill"_s, pink, false, false,
            text(u"Quick Kill HUD"_s, u"Hızlı Öldür HUD"_s),
            text(u"Toggle Haltrix floating Quick Kill HUD"_s, u"Haltrix yüzen Hızlı Öldürme panelini aç/kapat"_s),
            text(u"Toggled Haltrix Quick HUD"_s, u"Haltrix Hızlı Öldür HUD açıldı/kapatıldı"_s)});
        if (!compact)
            shown.push_back({Kind::haltrixOpenAnalytics24h, App::haltrix, u"chart.bar.xaxis"_s, pink, false, true,
                text(u"24h Usage"_s, u"24s Analiz"_s),
                text(u"Open Haltrix 24h CPU / RAM / Disk analytics"_s,
                    u"Haltrix 24 saatlik CPU / RAM / Disk analizini aç"_s),
                text(u"Opening Haltrix 24h Analytics"_s, u"Haltrix 24 Saatlik Analiz açılıyor"_s)});
    }
    if (groupShown(App::vantor)) {
        shown.push_back({Kind::vantorToggleHUD, App::vantor, u"rectangle.inset.topright.filled"_s, cyan, false, false,
            text(u"Vantor HUD"_s, u"Vantor HUD"_s),
            text(u"Show or hide the Vantor floating desktop telemetry HUD"_s,
                u"Vantor masaüstü yüzen sensör HUD'unu aç/kapat"_s),
            text(u"Toggled Vantor Floating HUD"_s, u"Vantor Masaüstü HUD açıldı/kapatıldı"_s)});
        if (!compact)
            shown.push_back({Kind::vantorOpenThermalsPower, App::vantor, u"thermometer.medium"_s, cyan, false, true,
                text(u"Thermals & Fan"_s, u"Sıcaklık & Fan"_s),
                text(u"Open Vantor live thermal sensors, fan RPM & power view"_s,
                    u"Vantor canlı sıcaklık sensörleri, fan RPM ve güç ekranını aç"_s),
                text(u"Opening Vantor Thermals & Power"_s, u"Vantor Sıcaklık ve Fan ekranı açılıyor"_s)});
    }
    return shown;
}

void TruneSuiteQuickActionsStrip::sync()
{
    std::vector<Chip> wanted = chips(m_currentApp, m_vmSummary, m_haltrixStatus, m_language, m_compact,
        [](TruneSuiteApp app) { return TruneSuiteCatalog::isInstalled(app); });
    if (wanted == m_chips && m_scroll->widget())
        return;
    m_chips = std::move(wanted);
    rebuildRow();
}

void TruneSuiteQuickActionsStrip::rebuildRow()
{
    auto* row = new QWidget;
    row->setObjectName(u"suiteActionsRow"_s);
    auto* layout = new QHBoxLayout(row);
    layout->setSpacing(m_compact ? 6 : 8);
    layout->setContentsMargins(m_compact ? 2 : 14, m_compact ? 0 : 7, m_compact ? 2 : 14, m_compact ? 0 : 7);
    if (!m_chips.empty() && !m_compact)
        layout->addWidget(header(m_language), 0, Qt::AlignVCenter);
    for (const Chip& chip : m_chips) {
        auto* button = new ChipButton(chip, m_compact);
        connect(button, &QAbstractButton::clicked, this, [this, chip] { trigger(chip); });
        layout->addWidget(button, 0, Qt::AlignVCenter);
    }
    layout->addStretch(1);
    delete m_scroll->takeWidget();
    m_scroll->setWidget(row);
    // The scroll area fills what it is given; the strip's own surface shows through.
    row->setAutoFillBackground(false);
    m_scroll->setFixedHeight(m_chips.empty() ? 0 : row->sizeHint().height());
    updateGeometry();
    update();
}

QSize TruneSuiteQuickActionsStrip::sizeHint() const
{
    if (m_chips.empty())
        return {0, 0};
    return m_scroll->widget()->sizeHint();
}

QSize TruneSuiteQuickActionsStrip::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void TruneSuiteQuickActionsStrip::paintEvent(QPaintEvent*)
{
    if (m_compact || m_chips.empty())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), TruneGlassTokens::surface1());
}

void TruneSuiteQuickActionsStrip::trigger(const Chip& chip)
{
    const TruneSuiteCommandBus bus = m_bus.value_or(TruneSuiteCommandBus::shared());
    TruneSuiteCommandDelivery::send(bus,
        {.kind = chip.kind,
            .from = m_currentApp,
            .to = chip.target,
            .options = {.launchIfNeeded = true, .bringToFront = chip.bringToFront}},
        this, [this, chip](const TruneSuiteCommandDelivery::Outcome& outcome) {
            if (!m_onFeedback)
                return;
            m_onFeedback(outcome ? chip.successText : outcome.error().description(m_language));
        });
}
