#include "app/views/uninstaller/UninstallerAppPicker.h"

#include "app/models/UninstallerAppListModel.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/SortMenuButton.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioHairline.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/uninstaller/UninstallerAppRowDelegate.h"
#include "app/views/uninstaller/UninstallerTexts.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSymbols.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const StudioFields kRowFields = StudioField::installedApps | StudioField::uninstallerSearchQuery
    | StudioField::uninstallerSortOrder | StudioField::uninstallerTargetApp;

} // namespace

UninstallerAppPicker::UninstallerAppPicker(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_model(new UninstallerAppListModel(this))
{
    setObjectName(u"uninstallerAppPicker"_s);
    QVBoxLayout* column = installStudioGlassCard(*this, 0, 0);
    column->addWidget(buildSearchRow());
    column->addWidget(new StudioHairline(truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.7), 1));
    column->addWidget(buildHeaderRow(accent));
    column->addWidget(new StudioHairline(TruneGlassTokens::borderSubtle(), 1));
    column->addWidget(buildList(accent), 1);

    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &UninstallerAppPicker::sync);
    syncRows();
    syncTexts();
}

QWidget* UninstallerAppPicker::buildSearchRow()
{
    auto* icon = new QLabel;
    icon->setPixmap(TruneSymbols::pixmap(u"magnifyingglass"_s, 13, TruneGlassTokens::textMuted(), devicePixelRatioF()));
    m_search = new QLineEdit;
    m_search->setObjectName(u"uninstallerSearchField"_s);
    m_search->setFrame(false);
    m_search->setFont(truneFont(13));
    m_search->setStyleSheet(u"QLineEdit { background: transparent; color: %1; border: none; }"_s.arg(
        truneCssColor(TruneGlassTokens::textPrimary())));
    QPalette searchPalette = m_search->palette();
    searchPalette.setColor(QPalette::PlaceholderText, TruneGlassTokens::textMuted());
    m_search->setPalette(searchPalette);
    connect(m_search, &QLineEdit::textEdited, &m_viewModel, &UpdateStudioViewModel::setUninstallerSearchQuery);

    auto* row = new TruneRoundedPanel(0, TruneGlassTokens::surface1());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(icon);
    layout->addWidget(m_search, 1);
    return row;
}

// The number of apps found, and the sort menu at the trailing edge.
QWidget* UninstallerAppPicker::buildHeaderRow(const QColor& accent)
{
    m_count = truneSheetLabel({}, truneFont(10.5, QFont::Medium, TruneFontDesign::monospaced),
        TruneGlassTokens::textMuted(), u"uninstallerAppCount"_s);
    m_sortMenu = new SortMenuButton(
        SortMenuButton::Look{
            .symbolPx = 9.5,
            .font = truneFont(10.5, QFont::DemiBold),
            .horizontalPadding = 8,
            .verticalPadding = 3.5,
            .cornerRadius = 6,
            .fill = truneColor(0xFFFFFF, 0.06),
            .borderWidth = 0.5,
            .border = truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.6),
        },
        accent);
    m_sortMenu->setObjectName(u"uninstallerSortMenu"_s);
    connect(m_sortMenu, &SortMenuButton::entryChosen, this, [this](int index) {
        m_viewModel.setUninstallerSortOrder(allCases<UninstallerAppSortOrder>().at(static_cast<size_t>(index)));
    });

    auto* row = new TruneRoundedPanel(0, truneColor(0x000000, 0.14));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setSpacing(8);
    layout->addWidget(m_count);
    layout->addStretch(1);
    layout->addSpacing(4);
    layout->addWidget(m_sortMenu);
    return row;
}

QListView* UninstallerAppPicker::buildList(const QColor& accent)
{
    m_list = new QListView;
    m_list->setObjectName(u"uninstallerAppList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(new UninstallerAppRowDelegate(accent, m_list));
    m_list->setUniformItemSizes(true);
    styleStudioListView(*m_list);
    m_list->setCursor(Qt::PointingHandCursor);
    connect(m_list, &QListView::clicked, this, &UninstallerAppPicker::inspectRow);
    m_list->installEventFilter(this);
    connect(
        &AppIconLoads::instance(), &AppIconLoads::loaded, m_list->viewport(), [this] { m_list->viewport()->update(); });
    return m_list;
}

void UninstallerAppPicker::sync(StudioFields fields)
{
    if (fields.testAnyFlags(kRowFields))
        syncRows();
    if (fields.testAnyFlags(StudioField::language | StudioField::uninstallerSortOrder | StudioField::installedApps
            | StudioField::uninstallerSearchQuery))
        syncTexts();
}

void UninstallerAppPicker::syncRows()
{
    const StudioState& state = m_viewModel.state();
    const std::optional<QString> targetID
        = state.uninstallerTargetApp ? std::optional(state.uninstallerTargetApp->id()) : std::nullopt;
    m_model->replaceRows(UninstallerAppListModel::rowsFor(
        StudioDerived::filteredUninstallerApps(state, m_viewModel.environment().locale), state.uninstallerSortOrder,
        targetID));
}

void UninstallerAppPicker::syncTexts()
{
    const StudioState& state = m_viewModel.state();
    const TruneLanguage language = state.language;
    if (m_search->text() != state.uninstallerSearchQuery)
        m_search->setText(state.uninstallerSearchQuery);
    const QString placeholder = m_viewModel.t(u"Select an installed app..."_s, u"Kurulu uygulama seçin..."_s);
    if (m_search->placeholderText() != placeholder) {
        m_search->setPlaceholderText(placeholder);
        m_search->setAccessibleName(placeholder);
    }
    const QString apps = QString::number(m_model->rowCount());
    const QString count = m_viewModel.t(apps + u" apps"_s, apps + u" uygulama"_s);
    if (m_count->text() != count)
        m_count->setText(count);

    QStringList titles;
    for (const UninstallerAppSortOrder order : allCases<UninstallerAppSortOrder>())
        titles.append(UninstallerTexts::sortTitle(order, language));
    const auto orders = allCases<UninstallerAppSortOrder>();
    const int current = static_cast<int>(std::ranges::find(orders, state.uninstallerSortOrder) - orders.begin());
    m_sortMenu->setEntries(titles, current, UninstallerTexts::sortShortTitle(state.uninstallerSortOrder, language));
    const QString tip = m_viewModel.t(u"Sort installed applications"_s, u"Kurulu uygulamaları sırala"_s);
    m_sortMenu->setToolTip(tip.toHtmlEscaped());
    m_sortMenu->setAccessibleName(tip);
}

bool UninstallerAppPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            && m_list->currentIndex().isValid()) {
            inspectRow(m_list->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UninstallerAppPicker::inspectRow(const QModelIndex& index)
{
    const QString id = index.data(UninstallerAppListModel::IdRole).toString();
    for (const InstalledAppRecord& app : m_viewModel.state().installedApps) {
        if (app.id() == id) {
            m_viewModel.inspectAppForUninstall(app, false);
            return;
        }
    }
}
