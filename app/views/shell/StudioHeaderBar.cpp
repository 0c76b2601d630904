#include "app/views/shell/StudioHeaderBar.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/shell/SegmentedStudioTab.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneFeedbackButton.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneUnifiedTitlebar.h"
#include "kit/ui/TruneVersionBadge.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

constexpr double runningDotSize = 5.5;
constexpr double runningDotOffset = 3;

TruneAppVersion currentVersion()
{
    return TruneAppVersion::current(TruneBundle::main(), u"1.0.0"_s, u"100"_s);
}

// A button without a look of its own, around a widget that shows what it is.
class PlainButton final : public QAbstractButton {
public:
    PlainButton(QWidget* content, QWidget* parent)
        : QAbstractButton(parent)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
        content->setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!TruneGlassShapes::showsFocusRing(*this))
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        TruneGlassShapes::paintFocusRing(painter, QRectF(rect()), 6, TruneGlassTokens::textPrimary());
    }
};

// The segments' shared ground: a dark rounded tray with a faint edge.
class StudioTabTray final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
        const QPainterPath shape = TruneGlassShapes::roundedRect(bounds, 10);
        painter.fillPath(shape, truneColor(0x000000, 0.22));
        QColor edge = TruneGlassTokens::borderSubtle();
        edge.setAlphaF(edge.alphaF() * 0.55f);
        painter.strokePath(shape, QPen(edge, 0.5));
    }
};

class RunningDot final : public QWidget {
public:
    RunningDot(const QColor& colour, QWidget* parent)
        : QWidget(parent)
        , m_colour(colour)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_colour);
        painter.drawEllipse(QRectF(0, 0, runningDotSize, runningDotSize));
    }

private:
    QColor m_colour;
};

struct TabDescription {
    UpdateStudioTab tab;
    QString icon;
    QString en;
    QString tr;
};

const std::array<TabDescription, 5>& tabDescriptions()
{
    static const std::array<TabDescription, 5> tabs{{
        {UpdateStudioTab::updates, u"square.grid.2x2"_s, u"Apps"_s, u"Uygulamalar"_s},
        {UpdateStudioTab::homebrew, u"shippingbox"_s, u"Homebrew"_s, u"Homebrew"_s},
        {UpdateStudioTab::uninstaller, u"trash.slash"_s, u"Uninstaller"_s, u"Kaldırıcı"_s},
        {UpdateStudioTab::suiteHub, u"sparkles.rectangle.stack"_s, u"Quorvane Hub"_s, u"Quorvane Hub"_s},
        {UpdateStudioTab::settings, u"gearshape"_s, u"Settings"_s, u"Ayarlar"_s},
    }};
    return tabs;
}

int badgeCount(UpdateStudioTab tab, const StudioState& state)
{
    switch (tab) {
    case UpdateStudioTab::updates:
        return static_cast<int>(StudioDerived::outdatedApps(state).size());
    case UpdateStudioTab::homebrew:
        return static_cast<int>(StudioDerived::outdatedCasks(state.homebrewItems).size()
            + StudioDerived::outdatedFormulae(state.homebrewItems).size());
    case UpdateStudioTab::uninstaller:
        return static_cast<int>(state.trashAlerts.size());
    case UpdateStudioTab::suiteHub:
    case UpdateStudioTab::settings:
        return 0;
    }
    return 0;
}

} // namespace

StudioHeaderBar::StudioHeaderBar(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"studioHeader"_s);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bar = new TruneUnifiedHeaderBar({.minHeight = 52, .trailingPadding = 18, .verticalPadding = 8}, this);
    outer->addWidget(bar);

    QHBoxLayout* row = bar->row();
    row->setSpacing(12);
    row->addWidget(buildIdentityGroup());
    row->addStretch(1);
    row->addWidget(buildTabBar());
    row->addStretch(1);
    row->addWidget(buildActionsGroup());

    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &StudioHeaderBar::sync);
    syncTexts();
    syncTabs();
    syncActions();
}

QWidget* StudioHeaderBar::buildIdentityGroup()
{
    auto* group = new QWidget(this);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    layout->addWidget(new TruneBrandMark(20, TruneBrandMarkStyle::currentApp(), group));

    auto* name = new QLabel(u"TruneUpdate"_s, group);
    name->setObjectName(u"productName"_s);
    name->setFont(truneFont(14.5, QFont::DemiBold));
    QPalette palette = name->palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    name->setPalette(palette);
    layout->addWidget(name);

    const TruneAppVersion version = currentVersion();
    m_versionBadge = new PlainButton(new TruneVersionBadge(version, false), group);
    m_versionBadge->setObjectName(u"versionBadge"_s);
    connect(
        m_versionBadge, &QAbstractButton::clicked, this, [this] { m_viewModel.setVersionLogsSheetPresented(true); });
    layout->addWidget(m_versionBadge);

    m_feedback = new TruneFeedbackButton({.appName = u"TruneUpdate"_s,
                                             .version = version,
                                             .kind = TruneFeedbackKind::feature,
                                             .language = m_viewModel.state().language,
                                             .baseURL = std::nullopt},
        TruneFeedbackButtonStyle::compactIcon, group);
    m_feedback->setObjectName(u"feedbackButton"_s);
    layout->addWidget(m_feedback);
    return group;
}

QWidget* StudioHeaderBar::buildTabBar()
{
    auto* tray = new StudioTabTray(this);
    tray->setObjectName(u"studioTabBar"_s);
    auto* layout = new QHBoxLayout(tray);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);
    for (const TabDescription& description : tabDescriptions()) {
        auto* segment = new SegmentedStudioTab(description.icon, description.en, m_accent, tray);
        segment->setObjectName(u"tab-"_s + rawValue(description.tab));
        const UpdateStudioTab tab = description.tab;
        connect(segment, &QAbstractButton::clicked, this, [this, tab] { m_viewModel.setSelectedTab(tab); });
        m_tabs.emplace(tab, segment);
        layout->addWidget(segment);
    }
    return tray;
}

QWidget* StudioHeaderBar::buildActionsGroup()
{
    auto* group = new QWidget(this);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_consoleToggle = new TruneGlassButton(QString(), false, group);
    m_consoleToggle->setObjectName(u"consoleToggle"_s);
    m_consoleToggle->setSymbol(u"terminal"_s);
    m_consoleToggle->setFont(truneFont(12, QFont::Medium));
    m_consoleToggle->installEventFilter(this);
    connect(m_consoleToggle, &QAbstractButton::clicked, this,
        [this] { m_viewModel.setShowBrewConsole(!m_viewModel.state().showBrewConsole); });
    m_runningDot = new RunningDot(m_accent, m_consoleToggle);
    m_runningDot->setObjectName(u"consoleRunningDot"_s);
    m_runningDot->resize(static_cast<int>(std::ceil(runningDotSize)), static_cast<int>(std::ceil(runningDotSize)));
    m_runningDot->hide();
    layout->addWidget(m_consoleToggle);

    m_checkButton = new TrunePrimaryButton(QString(), group);
    m_checkButton->setObjectName(u"checkUpdatesButton"_s);
    m_checkButton->setSymbol(u"arrow.clockwise"_s);
    connect(m_checkButton, &QAbstractButton::clicked, this, [this] { m_viewModel.refreshAllAndCheckUpdates(); });
    layout->addWidget(m_checkButton);
    return group;
}

bool StudioHeaderBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_consoleToggle && event->type() == QEvent::Resize)
        placeRunningDot();
    return QWidget::eventFilter(watched, event);
}

// The dot sits on the symbol's top-trailing corner, 3 px further right and up.
void StudioHeaderBar::placeRunningDot()
{
    const QFontMetricsF metrics(m_consoleToggle->font());
    const qreal symbol = std::round(metrics.ascent());
    const QRectF bounds(m_consoleToggle->rect());
    const QPointF topRight(bounds.center().x() + symbol / 2, bounds.center().y() - symbol / 2);
    m_runningDot->move(
        QPointF(topRight.x() - runningDotSize + runningDotOffset, topRight.y() - runningDotOffset).toPoint());
}

void StudioHeaderBar::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::language))
        syncTexts();
    if (fields.testAnyFlags(StudioField::selectedTab | StudioField::installedApps | StudioField::config
            | StudioField::homebrewItems | StudioField::trashAlerts | StudioField::language))
        syncTabs();
    if (fields.testAnyFlags(StudioField::showBrewConsole | StudioField::isBrewCommandRunning
            | StudioField::isCheckingUpdates | StudioField::language))
        syncActions();
}

void StudioHeaderBar::syncTexts()
{
    const QString versionTip = m_viewModel.t(u"Version & Runtime Logs"_s, u"Sürüm & Uygulama Logları"_s);
    m_versionBadge->setToolTip(versionTip.toHtmlEscaped());
    m_versionBadge->setAccessibleName(versionTip);

    const QString shortcut = QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L).toString(QKeySequence::NativeText);
    const QString consoleTip
        = m_viewModel.t(u"Toggle Homebrew Console (%1)"_s, u"Homebrew Konsolunu Aç/Kapat (%1)"_s).arg(shortcut);
    m_consoleToggle->setToolTip(consoleTip.toHtmlEscaped());
    m_consoleToggle->setAccessibleName(consoleTip);

    m_feedback->setLanguage(m_viewModel.state().language);
}

void StudioHeaderBar::syncTabs()
{
    const StudioState& state = m_viewModel.state();
    for (const TabDescription& description : tabDescriptions()) {
        SegmentedStudioTab* segment = m_tabs.at(description.tab);
        segment->setTitle(m_viewModel.t(description.en, description.tr));
        segment->setBadgeCount(badgeCount(description.tab, state));
        segment->setActive(state.selectedTab == description.tab);
    }
}

void StudioHeaderBar::syncActions()
{
    const StudioState& state = m_viewModel.state();
    m_consoleToggle->setActive(state.showBrewConsole || state.isBrewCommandRunning);
    m_runningDot->setVisible(state.isBrewCommandRunning);

    const QString title = state.isCheckingUpdates ? m_viewModel.t(u"Checking..."_s, u"Denetleniyor..."_s)
                                                  : m_viewModel.t(u"Check Updates"_s, u"Denetle"_s);
    if (m_checkButton->text() != title)
        m_checkButton->setText(title);
    m_checkButton->setBusy(state.isCheckingUpdates);
    m_checkButton->setEnabled(!state.isCheckingUpdates && !state.isBrewCommandRunning);
}
