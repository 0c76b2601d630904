#include "app/menubar/MenuBarUpdatePopoverView.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/StudioHairline.h"
#include "app/views/parts/StudioPageParts.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFeedbackButton.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int outerPadding = 14;
constexpr int sectionSpacing = 12;
constexpr int rowIconSize = 22;
constexpr int footerSpacing = 8;
constexpr qreal footerFontPx = 11.5;

QHBoxLayout* rowLayout(QWidget* owner, int spacing)
{
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

// The first Trash alert: the whole row is one button on a warm, rounded band.
class TrashAlertButton final : public QAbstractButton {
public:
    TrashAlertButton()
    {
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }
    QSize minimumSizeHint() const override { return layout() ? layout()->minimumSize() : QSize(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown())
            painter.setOpacity(0.78);
        const QRectF bounds = QRectF(rect());
        painter.fillPath(TruneGlassShapes::roundedRect(bounds, 8), truneColor(TruneGlassTokens::warning().rgb(), 0.16));
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, bounds, 8, TruneGlassTokens::textPrimary());
    }
};

} // namespace

MenuBarUpdatePopoverView::MenuBarUpdatePopoverView(
    UpdateStudioViewModel& viewModel, std::function<void()> onOpenStudio, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_onOpenStudio(std::move(onOpenStudio))
    , m_accent(accent)
{
    setObjectName(u"menuBarPopover"_s);
    setFixedWidth(popoverWidth);
    auto* rootLayout = new QVBoxLayout(this);
    rootLayout->setContentsMargins(0, 0, 0, 0);
    auto* ground = new TruneGroundBackground(TruneProductPalette::deepEmerald);
    rootLayout->addWidget(ground);

    auto* column = new QVBoxLayout(ground);
    column->setContentsMargins(outerPadding, outerPadding, outerPadding, outerPadding);
    column->setSpacing(sectionSpacing);
    column->addWidget(buildHeader());
    column->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    column->addWidget(buildTrashAlert());

    m_appRows = new QWidget;
    m_appRows->setObjectName(u"popoverAppRows"_s);
    m_appRowsLayout = new QVBoxLayout(m_appRows);
    m_appRowsLayout->setContentsMargins(0, 0, 0, 0);
    m_appRowsLayout->setSpacing(6);
    column->addWidget(m_appRows);

    m_allCurrentLine = new QWidget;
    m_allCurrentLine->setObjectName(u"popoverAllCurrent"_s);
    QHBoxLayout* allCurrent = rowLayout(m_allCurrentLine, 8);
    allCurrent->setContentsMargins(0, 6, 0, 6);
    allCurrent->addWidget(truneSymbolIcon(u"checkmark.seal.fill"_s, 13, TruneGlassTokens::success()));
    m_allCurrentLabel
        = truneSheetLabel(QString(), truneFont(12), TruneGlassTokens::textSecondary(), u"popoverAllCurrentLabel"_s);
    m_allCurrentLabel->setWordWrap(true);
    allCurrent->addWidget(m_allCurrentLabel, 1);
    column->addWidget(m_allCurrentLine);

    column->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    column->addWidget(buildFooter());

    connect(&viewModel, &UpdateStudioViewModel::changed, this, &MenuBarUpdatePopoverView::sync);
    syncHeader();
    syncTrashAlert();
    syncAppRows();
    syncFooter();
}

QWidget* MenuBarUpdatePopoverView::buildHeader()
{
    auto* header = new QWidget;
    QHBoxLayout* layout = rowLayout(header, 6);
    layout->addWidget(new TruneBrandMark(18, TruneBrandMarkStyle::currentApp()));
    layout->addWidget(truneSheetLabel(
        u"TruneUpdate"_s, truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"popoverTitle"_s));
    layout->addStretch(1);
    m_feedbackButton = new TruneFeedbackButton(
        TruneFeedbackTarget{
            .appName = u"TruneUpdate"_s,
            .version = TruneAppVersion::current(TruneBundle::main(), u"1.0.0"_s, u"100"_s),
            .kind = TruneFeedbackKind::feature,
            .language = m_viewModel.state().language,
        },
        TruneFeedbackButtonStyle::compactIcon);
    layout->addWidget(m_feedbackButton);
    m_spinner = new TruneSpinner(TruneSpinnerSize::small);
    m_spinner->setObjectName(u"popoverSpinner"_s);
    StudioPageParts::syncColor(m_spinner, TruneGlassTokens::textSecondary());
    layout->addWidget(m_spinner);
    m_statusLabel = truneSheetLabel(
        QString(), truneFont(11, QFont::DemiBold), TruneGlassTokens::success(), u"popoverStatusLabel"_s);
    layout->addWidget(m_statusLabel);
    return header;
}

QWidget* MenuBarUpdatePopoverView::buildTrashAlert()
{
    auto* button = new TrashAlertButton;
    button->setObjectName(u"popoverTrashAlert"_s);
    QHBoxLayout* layout = rowLayout(button, 8);
    layout->setContentsMargins(8, 8, 8, 8);
    QLabel* icon = truneSymbolIcon(u"trash.slash.fill"_s, 14, TruneGlassTokens::warning());
    layout->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_trashAlertTitle = truneSheetLabel(
        QString(), truneFont(12, QFont::DemiBold), TruneGlassTokens::textPrimary(), u"popoverTrashAlertTitle"_s);
    m_trashAlertDetail
        = truneSheetLabel(QString(), truneFont(10.5), TruneGlassTokens::textSecondary(), u"popoverTrashAlertDetail"_s);
    texts->addWidget(m_trashAlertTitle);
    texts->addWidget(m_trashAlertDetail);
    layout->addLayout(texts, 1);
    for (QWidget* child : {static_cast<QWidget*>(icon), static_cast<QWidget*>(m_trashAlertTitle),
             static_cast<QWidget*>(m_trashAlertDetail)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_trashAlertTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(button, &QAbstractButton::clicked, this, [this] {
        if (m_viewModel.state().trashAlerts.empty())
            return;
        const TrashLeftoverAlert alert = m_viewModel.state().trashAlerts.front();
        m_viewModel.openTrashAlertInUninstaller(alert);
        m_onOpenStudio();
    });
    m_trashAlertButton = button;
    return button;
}

QWidget* MenuBarUpdatePopoverView::buildFooter()
{
    auto* footer = new QWidget;
    QHBoxLayout* layout = rowLayout(footer, footerSpacing);
    const auto glassButton = [&](const QString& objectName, const QString& symbol) {
        auto* button = new TruneGlassButton(QString());
        button->setObjectName(objectName);
        button->setSymbol(symbol);
        button->setFont(truneFont(footerFontPx, QFont::Medium));
        layout->addWidget(button);
        return button;
    };
    m_checkButton = glassButton(u"popoverCheckButton"_s, u"arrow.clockwise"_s);
    m_stopButton = glassButton(u"popoverStopButton"_s, u"stop.fill"_s);
    m_upgradeAllButton = glassButton(u"popoverUpgradeAllButton"_s, u"arrow.up.circle.fill"_s);
    layout->addStretch(1);
    m_openStudioButton = new TrunePrimaryButton(QString());
    m_openStudioButton->setObjectName(u"popoverOpenStudioButton"_s);
    m_openStudioButton->setFont(truneFont(footerFontPx + 0.5, QFont::DemiBold));
    layout->addWidget(m_openStudioButton);

    connect(m_checkButton, &QAbstractButton::clicked, this, [this] { m_viewModel.refreshAllAndCheckUpdates(); });
    connect(m_stopButton, &QAbstractButton::clicked, this, [this] { m_viewModel.cancelBrewCommand(); });
    connect(m_upgradeAllButton, &QAbstractButton::clicked, this, [this] {
        m_viewModel.upgradeAllBrew();
        m_onOpenStudio();
    });
    connect(m_openStudioButton, &QAbstractButton::clicked, this, [this] { m_onOpenStudio(); });
    return footer;
}

QWidget* MenuBarUpdatePopoverView::buildAppRow(const ShownRow& shown)
{
    auto* row = new QWidget;
    row->setObjectName(u"popoverAppRow"_s);
    QHBoxLayout* layout = rowLayout(row, 8);
    layout->addWidget(new AppIconThumbnail(shown.app.path, rowIconSize));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* name = new TruneElidedLabel(shown.app.name);
    name->setObjectName(u"popoverAppName"_s);
    name->setFont(truneFont(12, QFont::DemiBold));
    StudioPageParts::syncColor(name, TruneGlassTokens::textPrimary());
    texts->addWidget(name);
    texts->addWidget(
        truneSheetLabel(shown.app.displayVersion() + u" → "_s + shown.app.latestVersion.value_or(QString()),
            truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced), m_accent, u"popoverAppVersion"_s));
    layout->addLayout(texts, 1);
    auto* button = new TruneGlassButton(
        shown.viaHomebrew ? m_viewModel.t(u"Update"_s, u"Güncelle"_s) : m_viewModel.t(u"Download"_s, u"İndir"_s));
    button->setObjectName(u"popoverAppButton"_s);
    button->setProperty("viaHomebrew", shown.viaHomebrew);
    const InstalledAppRecord app = shown.app;
    connect(button, &QAbstractButton::clicked, this, [this, app] { m_viewModel.updateApp(app); });
    m_rowButtons.push_back(button);
    layout->addWidget(button);
    return row;
}

void MenuBarUpdatePopoverView::sync(StudioFields fields)
{
    const StudioFields lists = StudioField::installedApps | StudioField::config | StudioField::homebrewItems
        | StudioField::brewExecutablePath | StudioField::language;
    if (fields.testAnyFlags(lists | StudioField::isCheckingUpdates | StudioField::isBrewCommandRunning))
        syncHeader();
    if (fields.testAnyFlags(StudioField::trashAlerts | StudioField::language))
        syncTrashAlert();
    if (fields.testAnyFlags(lists))
        syncAppRows();
    else if (fields.testFlag(StudioField::isBrewCommandRunning))
        syncRowButtons();
    if (fields.testAnyFlags(lists | StudioField::isCheckingUpdates | StudioField::isBrewCommandRunning))
        syncFooter();
}

void MenuBarUpdatePopoverView::syncHeader()
{
    const StudioState& state = m_viewModel.state();
    m_feedbackButton->setLanguage(state.language);
    const bool busy = state.isCheckingUpdates || state.isBrewCommandRunning;
    m_spinner->setVisible(busy);
    m_statusLabel->setVisible(!busy);
    const int pending = StudioDerived::menuBarBadgeCount(state);
    const QString count = QString::number(pending);
    truneSetTextIfChanged(*m_statusLabel,
        pending > 0 ? m_viewModel.t(count + u" pending"_s, count + u" bekliyor"_s)
                    : m_viewModel.t(u"Up to date"_s, u"Güncel"_s));
    StudioPageParts::syncColor(m_statusLabel, pending > 0 ? TruneGlassTokens::warning() : TruneGlassTokens::success());
}

void MenuBarUpdatePopoverView::syncTrashAlert()
{
    const std::vector<TrashLeftoverAlert>& alerts = m_viewModel.state().trashAlerts;
    m_trashAlertButton->setVisible(!alerts.empty());
    if (alerts.empty())
        return;
    const TrashLeftoverAlert& alert = alerts.front();
    const QString title
        = m_viewModel.t(u"Leftovers for "_s + alert.appName(), alert.appName() + u" artıkları bulundu"_s);
    truneSetTextIfChanged(*m_trashAlertTitle, title);
    truneSetTextIfChanged(*m_trashAlertDetail,
        QString::number(alert.leftovers().size()) + u" items · "_s
            + TruneByteFormatter::format(alert.totalSizeBytes()));
    m_trashAlertButton->setAccessibleName(title);
}

void MenuBarUpdatePopoverView::syncAppRows()
{
    const StudioState& state = m_viewModel.state();
    const std::vector<InstalledAppRecord> outdated = StudioDerived::outdatedApps(state);
    std::vector<ShownRow> rows;
    for (size_t index = 0; index < outdated.size() && index < static_cast<size_t>(maximumAppRows); ++index)
        rows.push_back({outdated[index], StudioDerived::canUpgradeAppViaHomebrew(state, outdated[index])});

    if (rows != m_shownRows || m_rowsLanguage != state.language) {
        m_rowButtons.clear();
        while (QLayoutItem* item = m_appRowsLayout->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        for (const ShownRow& row : rows)
            m_appRowsLayout->addWidget(buildAppRow(row));
        m_shownRows = std::move(rows);
        m_rowsLanguage = state.language;
    }
    m_appRows->setVisible(!m_shownRows.empty());
    m_allCurrentLine->setVisible(m_shownRows.empty());
    const QString count = QString::number(state.installedApps.size());
    truneSetTextIfChanged(*m_allCurrentLabel,
        m_viewModel.t(u"All "_s + count + u" scanned apps are up to date."_s,
            u"Taranan "_s + count + u" uygulamanın tümü güncel."_s));
    syncRowButtons();
}

void MenuBarUpdatePopoverView::syncRowButtons()
{
    const bool running = m_viewModel.state().isBrewCommandRunning;
    for (size_t index = 0; index < m_rowButtons.size(); ++index)
        m_rowButtons[index]->setEnabled(!(m_shownRows[index].viaHomebrew && running));
}

void MenuBarUpdatePopoverView::syncFooter()
{
    const StudioState& state = m_viewModel.state();
    const QString upgradable = QString::number(StudioDerived::outdatedBrewCount(state));
    m_checkButton->setEnabled(!state.isCheckingUpdates && !state.isBrewCommandRunning);
    m_stopButton->setText(m_viewModel.t(u"Stop"_s, u"Durdur"_s));
    m_stopButton->setVisible(state.isBrewCommandRunning);
    const QString upgradeTitle = m_viewModel.t(u"Upgrade All"_s, u"Tümünü Yükselt"_s);
    const QString upgradeCount = u" ("_s + upgradable + u")"_s;
    m_upgradeAllButton->setText(upgradeTitle + upgradeCount);
    m_upgradeAllButton->setToolTip(upgradeTitle + upgradeCount);
    m_upgradeAllButton->setAccessibleName(upgradeTitle + upgradeCount);
    m_upgradeAllButton->setVisible(!state.isBrewCommandRunning && StudioDerived::outdatedBrewCount(state) >= 1);
    m_openStudioButton->setText(m_viewModel.t(u"Open Studio"_s, u"Stüdyoyu Aç"_s));
    m_openStudioButton->setMinimumWidth(m_openStudioButton->sizeHint().width());
    fitCheckButton();
    fitUpgradeAllButton(upgradeTitle, upgradeCount);
}

// The count is what the button is for: when the whole title does not fit beside Check and Open
// Studio, the words before the count are shortened and the count stays whole.
void MenuBarUpdatePopoverView::fitUpgradeAllButton(const QString& title, const QString& count)
{
    if (!m_upgradeAllButton->isVisibleTo(this))
        return;
    const int room = popoverWidth - 2 * outerPadding - m_checkButton->sizeHint().width()
        - m_openStudioButton->sizeHint().width() - 2 * footerSpacing;
    if (m_upgradeAllButton->sizeHint().width() <= room)
        return;
    const QFontMetricsF metrics(m_upgradeAllButton->font());
    const qreal textRoom = room - m_upgradeAllButton->minimumSizeHint().width() - metrics.horizontalAdvance(count);
    const QString shortTitle = metrics.elidedText(title, Qt::ElideRight, std::max<qreal>(0, textRoom - 1));
    m_upgradeAllButton->setText(shortTitle + count);
}

// Long words (and wide fonts) may not leave room for every title in 340 px: Check then shows its
// symbol alone, named by its tooltip, and the middle button shortens its title last.
void MenuBarUpdatePopoverView::fitCheckButton()
{
    const QString title = m_viewModel.t(u"Check"_s, u"Denetle"_s);
    m_checkButton->setText(title);
    m_checkButton->setToolTip(title);
    m_checkButton->setAccessibleName(title);
    const QWidget* middle = m_stopButton->isVisibleTo(this) ? static_cast<QWidget*>(m_stopButton)
        : m_upgradeAllButton->isVisibleTo(this)             ? static_cast<QWidget*>(m_upgradeAllButton)
                                                            : nullptr;
    int needed = m_checkButton->sizeHint().width() + footerSpacing + m_openStudioButton->sizeHint().width();
    if (middle)
        needed += middle->sizeHint().width() + footerSpacing;
    if (needed > popoverWidth - 2 * outerPadding)
        m_checkButton->setText(QString());
}
