#include "app/views/uninstaller/LeftoverReviewView.h"

#include "app/models/LeftoverListModel.h"
#include "app/viewmodel/BundlePresenceProbe.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/FitWrappedLabel.h"
#include "app/views/parts/SortMenuButton.h"
#include "app/views/parts/StudioCheckBox.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioHairline.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "app/views/uninstaller/LeftoverRowDelegate.h"
#include "app/views/uninstaller/UninstallerTexts.h"
#include "app/views/uninstaller/UninstallerViewState.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int welcomeHintWidth = 460;

// A band across the card on the surface colour, whose outer corners follow the card's.
class SurfaceBand final : public QWidget {
public:
    enum class Edge { top, bottom };

    explicit SurfaceBand(Edge edge)
        : m_edge(edge)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(rect());
        const QRectF bounds = QRectF(rect()).adjusted(0.5, m_edge == Edge::top ? 0.5 : -studioCardCornerRadius, -0.5,
            m_edge == Edge::bottom ? -0.5 : studioCardCornerRadius);
        painter.fillPath(
            TruneGlassShapes::roundedRect(bounds, studioCardCornerRadius - 0.5), TruneGlassTokens::surface1());
    }

private:
    Edge m_edge;
};

// A page whose content sits centred in all the room it is given.
QWidget* centredPage(const QList<QWidget*>& parts, int spacing, const QString& objectName)
{
    auto* page = new QWidget;
    page->setObjectName(objectName);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    for (QWidget* part : parts)
        layout->addWidget(part, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

const StudioFields kTargetFields = StudioField::uninstallerTargetApp | StudioField::language;
const StudioFields kRowFields = StudioField::leftoverItems | StudioField::leftoverSortOrder | StudioField::language;
const StudioFields kControlFields = StudioField::uninstallerTargetApp | StudioField::leftoverItems
    | StudioField::isScanningLeftovers | StudioField::isMovingToTrash | StudioField::includeAppBundleInTrash
    | StudioField::leftoverSortOrder | StudioField::language;

} // namespace

LeftoverReviewView::LeftoverReviewView(
    UpdateStudioViewModel& viewModel, UninstallerViewState& uiState, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_uiState(uiState)
    , m_accent(accent)
    , m_probe(new BundlePresenceProbe(this))
    , m_model(new LeftoverListModel(this))
    , m_delegate(new LeftoverRowDelegate(accent, this))
{
    setObjectName(u"leftoverInspector"_s);
    m_pages = new QStackedWidget;
    m_welcome = buildWelcome();
    m_targetPage = buildTargetPage();
    m_pages->addWidget(m_welcome);
    m_pages->addWidget(m_targetPage);
    installStudioGlassCard(*this, 0, 0)->addWidget(m_pages);

    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &LeftoverReviewView::sync);
    connect(m_probe, &BundlePresenceProbe::offeredChanged, this, [this] {
        syncControls();
        emit selectionInputsChanged();
    });
    connect(m_delegate, &LeftoverRowDelegate::buttonClicked, this, &LeftoverReviewView::actOnRow);
    connect(&AppIconLoads::instance(), &AppIconLoads::loaded, m_icon, qOverload<>(&QWidget::update));
    syncTarget();
    syncRows();
    syncControls();
    syncTexts();
}

QWidget* LeftoverReviewView::buildWelcome()
{
    auto* symbol = truneSymbolIcon(u"trash.slash.circle.fill"_s, 44, m_accent);
    m_welcomeTitle = truneSheetLabel(
        {}, truneFont(TruneTextStyle::title3, QFont::Bold), TruneGlassTokens::textPrimary(), u"welcomeTitle"_s);
    m_welcomeHint
        = truneSheetLabel({}, truneFont(TruneTextStyle::callout), TruneGlassTokens::textSecondary(), u"welcomeHint"_s);
    m_welcomeTitle->setAlignment(Qt::AlignCenter);
    m_welcomeHint->setAlignment(Qt::AlignCenter);
    return centredPage({symbol, m_welcomeTitle, m_welcomeHint}, 12, u"inspectorWelcome"_s);
}

QWidget* LeftoverReviewView::buildTargetPage()
{
    auto* page = new QWidget;
    page->setObjectName(u"inspectorTarget"_s);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    layout->addWidget(buildControls());
    layout->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    layout->addWidget(buildContent(), 1);
    layout->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    layout->addWidget(buildFooter());
    return page;
}

QWidget* LeftoverReviewView::buildHeader()
{
    auto* header = new SurfaceBand(SurfaceBand::Edge::top);
    m_icon = new AppIconThumbnail(QString(), 44);
    m_name = truneSheetLabel({}, truneFont(16, QFont::Bold), TruneGlassTokens::textPrimary(), u"targetName"_s);
    m_identifier = new TruneElidedLabel({}, Qt::ElideMiddle);
    m_identifier->setObjectName(u"targetIdentifier"_s);
    m_identifier->setFont(truneFont(11.5, QFont::Normal, TruneFontDesign::monospaced));
    QPalette identifierPalette = m_identifier->palette();
    identifierPalette.setColor(QPalette::WindowText, TruneGlassTokens::textSecondary());
    m_identifier->setPalette(identifierPalette);
    m_total = truneSheetLabel(
        {}, truneFont(18, QFont::Bold, TruneFontDesign::rounded), TruneGlassTokens::success(), u"reclaimableTotal"_s);
    m_totalCaption = truneSheetLabel({}, truneFont(11), TruneGlassTokens::textSecondary(), u"reclaimableCaption"_s);
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_totalCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* names = new QVBoxLayout;
    names->setSpacing(3);
    names->addWidget(m_name);
    names->addWidget(m_identifier);
    auto* total = new QVBoxLayout;
    total->setSpacing(3);
    total->addWidget(m_total);
    total->addWidget(m_totalCaption);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(m_icon);
    layout->addLayout(names, 1);
    layout->addLayout(total);
    return header;
}

QWidget* LeftoverReviewView::buildControls()
{
    auto* bar = new QWidget;
    m_bundleCheckbox = new StudioCheckBox(m_accent);
    m_bundleCheckbox->setObjectName(u"bundleCheckbox"_s);
    m_bundleCheckbox->setFont(truneFont(12, QFont::Medium));
    m_sortMenu = new SortMenuButton(
        SortMenuButton::Look{
            .symbolPx = 10,
            .font = truneFont(11.5, QFont::Medium),
            .horizontalPadding = 9,
            .verticalPadding = 5,
            .cornerRadius = 8,
            .fill = TruneGlassTokens::surface2(),
            .borderWidth = 1,
            .border = TruneGlassTokens::borderSubtle(),
        },
        m_accent);
    m_sortMenu->setObjectName(u"leftoverSortMenu"_s);
    m_selectAll = new TruneGlassButton({}, false);
    m_selectAll->setObjectName(u"selectAllLeftovers"_s);
    m_clear = new TruneGlassButton({}, false);
    m_clear->setObjectName(u"clearLeftovers"_s);

    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->setSpacing(12);
    layout->addWidget(m_bundleCheckbox);
    layout->addStretch(1);
    layout->addWidget(m_sortMenu);
    layout->addWidget(m_selectAll);
    layout->addWidget(m_clear);

    connect(m_bundleCheckbox, &QCheckBox::clicked, &m_viewModel, &UpdateStudioViewModel::setIncludeAppBundleInTrash);
    connect(m_sortMenu, &SortMenuButton::entryChosen, this, [this](int index) {
        m_viewModel.setLeftoverSortOrder(allCases<LeftoverSortOrder>().at(static_cast<size_t>(index)));
    });
    connect(m_selectAll, &QAbstractButton::clicked, this, [this] { m_viewModel.setAllLeftoversSelected(true); });
    connect(m_clear, &QAbstractButton::clicked, this, [this] { m_viewModel.setAllLeftoversSelected(false); });
    return bar;
}

QWidget* LeftoverReviewView::buildContent()
{
    auto* spinner = new TruneSpinner(TruneSpinnerSize::regular);
    QPalette spinnerPalette = spinner->palette();
    spinnerPalette.setColor(QPalette::WindowText, TruneGlassTokens::textSecondary());
    spinner->setPalette(spinnerPalette);
    m_scanningText
        = truneSheetLabel({}, truneFont(TruneTextStyle::body), TruneGlassTokens::textSecondary(), u"scanningText"_s);
    m_scanning = centredPage({spinner, m_scanningText}, 10, u"leftoverScanning"_s);

    m_emptyText = truneSheetLabel(
        {}, truneFont(TruneTextStyle::headline), TruneGlassTokens::textPrimary(), u"noLeftoversText"_s);
    m_empty = centredPage({truneSymbolIcon(u"checkmark.shield.fill"_s, 32, TruneGlassTokens::success()), m_emptyText},
        8, u"leftoverEmpty"_s);

    m_list = new QListView;
    m_list->setObjectName(u"leftoverList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    styleStudioListView(*m_list);
    m_list->installEventFilter(this);

    m_content = new QStackedWidget;
    m_content->addWidget(m_scanning);
    m_content->addWidget(m_empty);
    m_content->addWidget(m_list);
    return m_content;
}

QWidget* LeftoverReviewView::buildFooter()
{
    auto* footer = new SurfaceBand(SurfaceBand::Edge::bottom);
    m_footerText = truneSheetLabel({}, truneFont(11.5), TruneGlassTokens::textSecondary(), u"footerText"_s);
    m_moveButton = new TrunePrimaryButton({});
    m_moveButton->setObjectName(u"moveSelectedToTrash"_s);
    m_moveButton->setSymbol(u"trash.fill"_s);

    auto* note = new QHBoxLayout;
    note->setSpacing(6);
    note->addWidget(truneSymbolIcon(u"shield.lefthalf.filled"_s, 13, m_accent));
    note->addWidget(m_footerText, 1);
    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addLayout(note, 1);
    layout->addWidget(m_moveButton);

    connect(m_moveButton, &QAbstractButton::clicked, this, [this] {
        if (canConfirm())
            m_uiState.setConfirmTrashSheet(true);
    });
    return footer;
}

std::optional<UninstallSelection> LeftoverReviewView::selection() const
{
    return StudioDerived::uninstallSelection(m_viewModel.state(), m_probe->isOffered());
}

bool LeftoverReviewView::canConfirm() const
{
    return StudioDerived::canConfirmUninstall(m_viewModel.state(), m_probe->isOffered());
}

void LeftoverReviewView::sync(StudioFields fields)
{
    if (fields.testAnyFlags(kTargetFields))
        syncTarget();
    if (fields.testAnyFlags(kRowFields))
        syncRows();
    if (fields.testAnyFlags(kControlFields)) {
        probeBundle();
        syncControls();
        emit selectionInputsChanged();
    }
    if (fields.testFlag(StudioField::language))
        syncTexts();
}

// Whether the bundle is still there is asked again whenever anything the inspector shows changes,
// so a bundle removed behind the program's back loses its option at the next change.
void LeftoverReviewView::probeBundle()
{
    const std::optional<InstalledAppRecord>& target = m_viewModel.state().uninstallerTargetApp;
    m_probe->probe(target ? target->path : QString());
}

void LeftoverReviewView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    probeBundle();
}

void LeftoverReviewView::syncTarget()
{
    const std::optional<InstalledAppRecord>& target = m_viewModel.state().uninstallerTargetApp;
    m_pages->setCurrentWidget(target ? m_targetPage : m_welcome);
    if (!target)
        return;
    m_icon->setAppPath(target->path);
    truneSetTextIfChanged(*m_name, target->name);
    const QString identifier = target->bundleID.isEmpty() ? target->path : target->bundleID;
    if (m_identifier->text() != identifier)
        m_identifier->setText(identifier);
}

void LeftoverReviewView::syncRows()
{
    const StudioState& state = m_viewModel.state();
    m_model->replaceRows(
        LeftoverListModel::rowsFor(StudioDerived::sortedLeftoverItems(state, m_viewModel.environment().locale),
            state.leftoverSortOrder == LeftoverSortOrder::category, state.language));
}

void LeftoverReviewView::syncContentPage()
{
    const StudioState& state = m_viewModel.state();
    QWidget* page = state.isScanningLeftovers ? m_scanning : state.leftoverItems.empty() ? m_empty : m_list;
    m_content->setCurrentWidget(page);
}

void LeftoverReviewView::syncControls()
{
    const StudioState& state = m_viewModel.state();
    syncContentPage();
    if (!state.uninstallerTargetApp)
        return;
    const std::optional<UninstallSelection> current = selection();
    truneSetTextIfChanged(*m_total, TruneByteFormatter::format(current->totalBytes));

    const bool offered = m_probe->isOffered();
    m_bundleCheckbox->setVisible(offered);
    const QString size = TruneByteFormatter::format(state.uninstallerTargetApp->sizeBytes);
    const QString bundleText = m_viewModel.t(u"Also move .app bundle to Trash ("_s + size + u")"_s,
        u".app paketini de Çöp Sepetine taşı ("_s + size + u")"_s);
    if (m_bundleCheckbox->text() != bundleText)
        m_bundleCheckbox->setText(bundleText);
    if (m_bundleCheckbox->isChecked() != state.includeAppBundleInTrash) {
        const QSignalBlocker blocker(m_bundleCheckbox);
        m_bundleCheckbox->setChecked(state.includeAppBundleInTrash);
    }

    const bool hasItems = !state.leftoverItems.empty();
    m_sortMenu->setVisible(hasItems);
    QStringList titles;
    for (const LeftoverSortOrder order : allCases<LeftoverSortOrder>())
        titles.append(UninstallerTexts::leftoverSortTitle(order, state.language));
    const auto orders = allCases<LeftoverSortOrder>();
    const int currentOrder = static_cast<int>(std::ranges::find(orders, state.leftoverSortOrder) - orders.begin());
    m_sortMenu->setEntries(
        titles, currentOrder, UninstallerTexts::leftoverSortTitle(state.leftoverSortOrder, state.language));
    m_selectAll->setEnabled(hasItems);
    m_clear->setEnabled(hasItems);
    m_moveButton->setEnabled(canConfirm());
}

void LeftoverReviewView::syncTexts()
{
    const auto t = [this](const QString& en, const QString& tr) { return m_viewModel.t(en, tr); };
    truneSetTextIfChanged(
        *m_welcomeTitle, t(u"Complete Safe App Uninstaller"_s, u"Tam ve Güvenli Uygulama Kaldırıcı"_s));
    truneSetTextIfChanged(*m_welcomeHint,
        t(u"Select an application on the left or drag a .app bundle to inspect its Application Support, Caches, "
          "Preferences, Containers, Logs, and LaunchAgents."_s,
            u"Application Support, Caches, Preferences, Containers, Logs ve LaunchAgents artıklarını incelemek için "
            "soldan bir uygulama seçin veya .app bırakın."_s));
    fitWrappedLabel(*m_welcomeHint, welcomeHintWidth);
    truneSetTextIfChanged(*m_totalCaption, t(u"Reclaimable to Trash"_s, u"Çöp Sepetine Taşınacak"_s));
    truneSetTextIfChanged(
        *m_scanningText, t(u"Scanning Library leftovers..."_s, u"Library artık dosyaları taranıyor..."_s));
    truneSetTextIfChanged(
        *m_emptyText, t(u"No Library leftover files found."_s, u"Library içinde artık dosya bulunamadı."_s));
    const StudioPlatformTexts::Text footer = StudioPlatformTexts::restoreFromTrashFooter();
    truneSetTextIfChanged(*m_footerText, t(footer.english, footer.turkish));
    const QString sortTip = t(u"Sort leftover files"_s, u"Artık dosyaları sırala"_s);
    m_sortMenu->setToolTip(sortTip.toHtmlEscaped());
    m_sortMenu->setAccessibleName(sortTip);
    m_selectAll->setText(t(u"Select All"_s, u"Tümünü Seç"_s));
    m_clear->setText(t(u"Clear"_s, u"Temizle"_s));
    m_moveButton->setText(t(u"Move Selected to Trash"_s, u"Seçilenleri Çöp Sepetine Taşı"_s));
    m_delegate->setLanguage(m_viewModel.state().language);
    m_list->viewport()->update();
}

void LeftoverReviewView::actOnRow(LeftoverRowDelegate::RowButton button, int row)
{
    const QModelIndex index = m_model->index(row);
    switch (button) {
    case LeftoverRowDelegate::RowButton::checkbox:
        m_viewModel.toggleLeftoverSelection(index.data(LeftoverListModel::IdRole).toString());
        break;
    case LeftoverRowDelegate::RowButton::reveal:
        m_viewModel.revealInFinder(index.data(LeftoverListModel::PathRole).toString());
        break;
    }
}

bool LeftoverReviewView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const QModelIndex current = m_list->currentIndex();
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (current.isValid() && !current.data(LeftoverListModel::IsHeaderRole).toBool()) {
            if (key == Qt::Key_Space) {
                actOnRow(LeftoverRowDelegate::RowButton::checkbox, current.row());
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                actOnRow(LeftoverRowDelegate::RowButton::reveal, current.row());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
