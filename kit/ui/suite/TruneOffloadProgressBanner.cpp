#include "kit/ui/suite/TruneOffloadProgressBanner.h"

#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/ui/TruneAdaptiveGridLayout.h"
#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProgressTrack.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"
#include "kit/ui/suite/TruneSuiteAccents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int stepCount = 4;

// Sizes of the compact and the wide banner.
struct BannerMetrics {
    int paddingH;
    int paddingV;
    int spacing;
    qreal cornerRadius;
    qreal sealSize;
    qreal badgeFont;
    qreal phaseFont;
    qreal bytesFont;
    qreal percentFont;
    qreal buttonFont;
    qreal trackHeight;
    qreal detailFont;
    int detailLines;
};

constexpr BannerMetrics compactMetrics{10, 8, 6, 10, 12, 9, 11, 9.5, 10.5, 9.5, 5, 9.5, 2};
constexpr BannerMetrics wideMetrics{14, 10, 8, 11, 14, 9.5, 12.5, 10.5, 11.5, 10.5, 7, 10.5, 1};

constexpr qreal trackMinimumFill = 6;

const BannerMetrics& metricsFor(bool compact)
{
    return compact ? compactMetrics : wideMetrics;
}

void setTextColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    if (palette.color(QPalette::WindowText) == color)
        return;
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

QLabel* figureLabel(const QFont& font, const QString& objectName)
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setObjectName(objectName);
    return label;
}

void setLabelText(QLabel& label, const QString& text)
{
    if (label.text() != text)
        label.setText(text);
}

// The progress bar: the track with the fill of the run's fraction on it.
class ProgressBar final : public QWidget {
public:
    explicit ProgressBar(qreal height)
    {
        setFixedHeight(static_cast<int>(height));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void setRun(double fraction, const QColor& accent)
    {
        const bool sameFraction = fraction == m_fraction || (std::isnan(fraction) && std::isnan(m_fraction));
        if (sameFraction && accent == m_accent)
            return;
        m_fraction = fraction;
        m_accent = accent;
        update();
    }

    qreal fillWidth() const { return TruneProgressTrack::fillWidth(m_fraction, width(), trackMinimumFill); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TruneProgressTrack::paint(painter, QRectF(rect()), m_fraction,
            {.track = truneColor(0xFFFFFF, 0.1),
                .fillLeading = truneWithOpacity(m_accent, 0.75),
                .fillTrailing = m_accent,
                .minimumFill = trackMinimumFill});
    }

private:
    double m_fraction = 0;
    QColor m_accent;
};

// Plain text wrapped onto at most `maximumLines` lines, the last one shortened at its end when
// the text goes on.
class ClampedText final : public QWidget {
public:
    ClampedText(const QFont& font, int maximumLines)
        : m_maximumLines(maximumLines)
    {
        setFont(font);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    const QString& text() const { return m_text; }
    void setText(const QString& text)
    {
        if (text == m_text)
            return;
        m_text = text;
        setAccessibleName(text);
        updateGeometry();
        update();
    }
    // The lines as painted at `width`.
    QStringList lines(int width) const
    {
        QStringList shown;
        QString oneParagraph = m_text;
        oneParagraph.replace(u'\n', u' ');
        QTextLayout layout(oneParagraph, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (int index = 0; index < m_maximumLines; ++index) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
            const bool last = index == m_maximumLines - 1;
            const QString rest = oneParagraph.mid(line.textStart());
            if (last) {
                shown.append(QFontMetricsF(font()).elidedText(rest, Qt::ElideRight, width));
                break;
            }
            shown.append(oneParagraph.mid(line.textStart(), line.textLength()).trimmed());
        }
        layout.endLayout();
        return shown;
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        return static_cast<int>(
            std::ceil(QFontMetricsF(font()).lineSpacing() * std::max<qsizetype>(1, lines(width).size())));
    }
    QSize sizeHint() const override
    {
        return {static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_text))),
            static_cast<int>(std::ceil(QFontMetricsF(font()).lineSpacing()))};
    }
    QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        const qreal lineSpacing = QFontMetricsF(font()).lineSpacing();
        qreal top = 0;
        for (const QString& line : lines(width())) {
            painter.drawText(
                QRectF(0, top, width(), lineSpacing), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
            top += lineSpacing;
        }
    }

private:
    QString m_text;
    int m_maximumLines;
};

// The dismiss button: the bare cross.
class DismissButton final : public QAbstractButton {
public:
    explicit DismissButton(const QString& label)
    {
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setFont(truneFont(9.5, QFont::Bold));
        setToolTip(label);
        setAccessibleName(label);
    }

    QSize sizeHint() const override
    {
        const int side = static_cast<int>(std::round(QFontMetricsF(font()).ascent())) + 6;
        return {side, side};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown())
            painter.setOpacity(0.6);
        const qreal glyph = std::round(QFontMetricsF(font()).ascent());
        const QRectF bounds(rect());
        TruneSymbols::paint(painter,
            QRectF(bounds.center().x() - glyph / 2, bounds.center().y() - glyph / 2, glyph, glyph), u"xmark"_s,
            TruneGlassTokens::textMuted());
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, bounds, 4, TruneGlassTokens::textPrimary());
    }
};

TruneCapsuleStyle pillStyle(TruneOffloadProgressBanner::StepState state, const QColor& accent)
{
    using State = TruneOffloadProgressBanner::StepState;
    const QColor tint = state == State::done ? TruneGlassTokens::success()
        : state == State::active             ? accent
                                             : TruneGlassTokens::textMuted();
    const double fill = state == State::active ? 0.22 : state == State::done ? 0.14 : 0.06;
    return {.font = truneFont(9.5, state == State::pending ? QFont::Normal : QFont::DemiBold),
        .content = tint,
        .fill = truneWithOpacity(tint, fill),
        .horizontalPadding = 7,
        .verticalPadding = 3,
        .spacing = 4};
}

QString pillSymbol(TruneOffloadProgressBanner::StepState state)
{
    using State = TruneOffloadProgressBanner::StepState;
    return state == State::done  ? u"checkmark.circle.fill"_s
        : state == State::active ? u"bolt.circle.fill"_s
                                 : u"circle"_s;
}

} // namespace

TruneOffloadProgressBanner::TruneOffloadProgressBanner(const LumbraOffloadLiveProgress& progress,
    TruneLanguage language, bool compact, std::function<void()> onCancel, std::function<void()> onDismiss,
    QWidget* parent)
    : QWidget(parent)
    , m_progress(progress)
    , m_language(language)
    , m_compact(compact)
    , m_onCancel(std::move(onCancel))
    , m_onDismiss(std::move(onDismiss))
{
    const BannerMetrics& metrics = metricsFor(m_compact);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(metrics.paddingH, metrics.paddingV, metrics.paddingH, metrics.paddingV);
    layout->setSpacing(metrics.spacing);
    layout->addLayout(buildHeader());

    m_track = new ProgressBar(metrics.trackHeight);
    m_track->setObjectName(u"offloadTrack"_s);
    layout->addWidget(m_track);

    auto* detail = new ClampedText(
        truneFont(metrics.detailFont, QFont::Normal, TruneFontDesign::monospaced), metrics.detailLines);
    detail->setObjectName(u"offloadDetail"_s);
    setTextColor(*detail, TruneGlassTokens::textSecondary());
    m_detail = detail;
    layout->addWidget(m_detail);

    if (!m_compact)
        layout->addWidget(buildPills());
    sync();
}

QHBoxLayout* TruneOffloadProgressBanner::buildHeader()
{
    const BannerMetrics& metrics = metricsFor(m_compact);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);

    m_spinner = new TruneSpinner(TruneSpinnerSize::small);
    m_spinner->setObjectName(u"offloadSpinner"_s);
    setTextColor(*m_spinner, TruneGlassTokens::textSecondary());
    m_seal = new TruneCapsuleBadge({.font = truneFont(metrics.sealSize),
                                       .content = TruneGlassTokens::success(),
                                       .horizontalPadding = 0,
                                       .verticalPadding = 0},
        u"checkmark.seal.fill"_s, {});
    m_seal->setObjectName(u"offloadSeal"_s);
    m_stepBadge = new TruneCapsuleBadge({}, {}, {});
    m_stepBadge->setObjectName(u"offloadStepBadge"_s);
    m_phase = new TruneElidedLabel;
    m_phase->setObjectName(u"offloadPhase"_s);
    m_phase->setFont(truneFont(metrics.phaseFont, QFont::DemiBold));
    setTextColor(*m_phase, TruneGlassTokens::textPrimary());
    m_bytes
        = figureLabel(truneFont(metrics.bytesFont, QFont::DemiBold, TruneFontDesign::monospaced), u"offloadBytes"_s);
    setTextColor(*m_bytes, TruneGlassTokens::textSecondary());
    m_percent
        = figureLabel(truneFont(metrics.percentFont, QFont::Bold, TruneFontDesign::monospaced), u"offloadPercent"_s);

    auto* cancel = new TruneGlassButton(truneText(u"Cancel"_s, u"İptal"_s, m_language), false);
    cancel->setFont(truneFont(metrics.buttonFont, QFont::DemiBold));
    cancel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_cancel = cancel;
    m_cancel->setObjectName(u"offloadCancel"_s);
    connect(m_cancel, &QAbstractButton::clicked, this, [this] {
        if (m_onCancel)
            m_onCancel();
    });
    m_dismiss = new DismissButton(truneText(u"Dismiss"_s, u"Kapat"_s, m_language));
    m_dismiss->setObjectName(u"offloadDismiss"_s);
    connect(m_dismiss, &QAbstractButton::clicked, this, [this] {
        if (m_onDismiss)
            m_onDismiss();
    });

    row->addWidget(m_spinner, 0, Qt::AlignVCenter);
    row->addWidget(m_seal, 0, Qt::AlignVCenter);
    row->addWidget(m_stepBadge, 0, Qt::AlignVCenter);
    row->addWidget(m_phase, 0, Qt::AlignVCenter);
    row->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(m_bytes, 0, Qt::AlignVCenter);
    row->addWidget(m_percent, 0, Qt::AlignVCenter);
    row->addWidget(m_cancel, 0, Qt::AlignVCenter);
    row->addWidget(m_dismiss, 0, Qt::AlignVCenter);
    return row;
}

QWidget* TruneOffloadProgressBanner::buildPills()
{
    auto* pills = new QWidget;
    pills->setObjectName(u"offloadPills"_s);
    auto* grid = new TruneAdaptiveGridLayout(
        {.minimumItemWidth = 135, .maximumItemWidth = std::nullopt, .columnSpacing = 6, .rowSpacing = 6}, pills);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int index = 1; index <= stepCount; ++index) {
        auto* pill = new TruneCapsuleBadge({}, {}, stepTitle(index, m_language));
        pill->setObjectName(u"offloadStepPill%1"_s.arg(index));
        pill->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        grid->addWidget(pill);
        m_pills.append(pill);
    }
    return pills;
}

void TruneOffloadProgressBanner::setProgress(const LumbraOffloadLiveProgress& progress)
{
    m_progress = progress;
    sync();
}

QColor TruneOffloadProgressBanner::accentColor(const LumbraOffloadLiveProgress& progress)
{
    if (progress.isCompletedSummary)
        return TruneGlassTokens::success();
    if (progress.livePressure == u"critical"_s)
        return TruneGlassTokens::danger();
    if (progress.livePressure == u"warning"_s)
        return TruneGlassTokens::warning();
    return TruneSuiteAccents::lumbraViolet();
}

qint64 TruneOffloadProgressBanner::percent(double fractionCompleted)
{
    if (std::isnan(fractionCompleted))
        return 0;
    // Held before multiplying, so nothing out of range reaches the rounding.
    return std::llround(std::clamp(fractionCompleted, 0.0, 1.0) * 100);
}

QString TruneOffloadProgressBanner::stepText(const LumbraOffloadLiveProgress& progress, TruneLanguage language)
{
    if (progress.isCompletedSummary)
        return truneText(u"DONE"_s, u"TAMAMLANDI"_s, language);
    const QString counter = truneDecimal(progress.stepIndex) + u'/' + truneDecimal(progress.totalSteps);
    return truneText(u"STEP "_s + counter, u"ADIM "_s + counter, language);
}

QString TruneOffloadProgressBanner::stepTitle(int index, TruneLanguage language)
{
    switch (index) {
    case 1:
        return truneText(u"1. Measure RAM"_s, u"1. Bellek Ölçümü"_s, language);
    case 2:
        return truneText(u"2. Freeze Idle Apps"_s, u"2. Pasifleri Dondur"_s, language);
    case 3:
        return truneText(u"3. Swap Wave"_s, u"3. Swap Dalgası"_s, language);
    default:
        return truneText(u"4. Release & Verify"_s, u"4. İade & Sonuç"_s, language);
    }
}

TruneOffloadProgressBanner::StepState TruneOffloadProgressBanner::stepState(
    const LumbraOffloadLiveProgress& progress, int index)
{
    if (progress.isCompletedSummary || index < progress.stepIndex)
        return StepState::done;
    if (progress.isRunning && index == progress.stepIndex)
        return StepState::active;
    return StepState::pending;
}

QRectF TruneOffloadProgressBanner::progressTrackRect() const
{
    return QRectF(m_track->geometry());
}

qreal TruneOffloadProgressBanner::progressFillWidth() const
{
    return static_cast<const ProgressBar*>(m_track)->fillWidth();
}

void TruneOffloadProgressBanner::sync()
{
    const QColor accent = accentColor(m_progress);
    syncHeader(accent);
    static_cast<ProgressBar*>(m_track)->setRun(m_progress.fractionCompleted, accent);
    syncDetail();
    syncPills(accent);
    update();
}

void TruneOffloadProgressBanner::syncHeader(const QColor& accent)
{
    const BannerMetrics& metrics = metricsFor(m_compact);
    const bool running = m_progress.isRunning;
    m_spinner->setVisible(running);
    m_seal->setVisible(!running);

    m_stepBadge->setCapsuleStyle({.font = truneFont(metrics.badgeFont, QFont::Bold, TruneFontDesign::monospaced),
        .content = accent,
        .fill = truneWithOpacity(accent, 0.24),
        .horizontalPadding = 6,
        .verticalPadding = 2});
    m_stepBadge->setText(stepText(m_progress, m_language));
    m_phase->setText(truneText(m_progress.phaseTitleEN, m_progress.phaseTitleTR, m_language));

    const bool showsBytes = running && m_progress.targetBytes >= 1;
    if (showsBytes)
        setLabelText(*m_bytes,
            TruneByteFormatter::format(m_progress.allocatedBytes) + u" / "_s
                + TruneByteFormatter::format(m_progress.targetBytes));
    m_bytes->setVisible(showsBytes);

    setLabelText(*m_percent, truneDecimal(percent(m_progress.fractionCompleted)) + u'%');
    setTextColor(*m_percent, accent);

    m_cancel->setVisible(running && m_onCancel);
    m_dismiss->setVisible(!running && m_onDismiss);
}

void TruneOffloadProgressBanner::syncDetail()
{
    auto* detail = static_cast<ClampedText*>(m_detail);
    const QString text = truneText(m_progress.detailEN, m_progress.detailTR, m_language);
    detail->setText(text);
    detail->setVisible(!text.isEmpty());
}

void TruneOffloadProgressBanner::syncPills(const QColor& accent)
{
    for (int index = 1; index <= m_pills.size(); ++index) {
        const StepState state = stepState(m_progress, index);
        TruneCapsuleBadge* pill = m_pills.at(index - 1);
        pill->setCapsuleStyle(pillStyle(state, accent));
        pill->setSymbol(pillSymbol(state));
    }
}

void TruneOffloadProgressBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor accent = accentColor(m_progress);
    TruneGlassShapes::paintGlassShape(painter, QRectF(rect()), metricsFor(m_compact).cornerRadius,
        truneWithOpacity(accent, 0.12), truneWithOpacity(accent, 0.4));
}
