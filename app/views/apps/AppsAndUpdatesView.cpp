#include "app/views/apps/AppsAndUpdatesView.h"

#include "app/models/AppsListModel.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/apps/AppRowDelegate.h"
#include "app/views/parts/FilterChipButton.h"
#include "app/views/parts/HomebrewBatchUpgradeBanner.h"
#include "app/views/parts/MetricPillCard.h"
#include "app/views/parts/StudioHairline.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int outerPadding = 18;
constexpr int regionSpacing = 12;
constexpr int metricSpacing = 10;
constexpr int filterBarSpacing = 12;
constexpr int chipSpacing = 4;
constexpr int searchFieldWidth = 232;
constexpr qreal listCardRadius = 13;
constexpr qreal searchSymbolPx = 11.5;
constexpr int emptyDetailWidth = 460;

struct ChipTitle {
    AppFilterKind kind;
    QString english;
    QString turkish;
};

// The chips in the order of AppFilterKind; the Updates chip adds its count itself.
const std::array<ChipTitle, 8> chipTitles{{
    {AppFilterKind::all, u"All"_s, u"Tümü"_s},
    {AppFilterKind::updatesAvailable, u"Updates"_s, u"Güncellemeler"_s},
    {AppFilterKind::quorvane, u"Quorvane"_s, u"Quorvane"_s},
    {AppFilterKind::homebrew, u"Homebrew"_s, u"Homebrew"_s},
    {AppFilterKind::sparkle, u"Sparkle"_s, u"Sparkle"_s},
    {AppFilterKind::appStore, u"App Store"_s, u"App Store"_s},
    {AppFilterKind::appleSilicon, u"Apple Silicon"_s, u"Apple Silicon"_s},
    {AppFilterKind::intel, u"Intel"_s, u"Intel"_s},
}};

// A folder as a person reads it: the home folder as "~".
QString homeShortened(const QString& folder)
{
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + u'/'))
        return u"~"_s + folder.mid(home.size());
    return folder;
}

// The search field's frame: a dark rounded field with a faint hairline inside its edge.
class SearchFieldFrame final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        painter.fillPath(TruneGlassShapes::roundedRect(bounds, 8), truneColor(0x000000, 0.2));
        painter.setPen(QPen(truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65), 0.5));
        painter.drawPath(TruneGlassShapes::roundedRect(bounds.adjusted(0.25, 0.25, -0.25, -0.25), 8));
    }
};

// The list header's band: the card's surface colour, its top corners rounded with the card.
class ListHeaderBand final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        painter.setClipRect(bounds);
        painter.fillPath(TruneGlassShapes::roundedRect(bounds.adjusted(0, 0, 0, listCardRadius), listCardRadius),
            TruneGlassTokens::surface1());
    }
};

// A symbol alone, as a plain button: the search field's clear button.
class PlainSymbolButton final : public QAbstractButton {
public:
    PlainSymbolButton(QString symbol, qreal px)
        : m_symbol(std::move(symbol))
        , m_px(px)
    {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::ArrowCursor);
        setFixedSize(static_cast<int>(std::ceil(px)) + 4, static_cast<int>(std::ceil(px)) + 4);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (isDown())
            painter.setOpacity(0.6);
        const QRectF glyph((width() - m_px) / 2, (height() - m_px) / 2, m_px, m_px);
        TruneSymbols::paint(painter, glyph, m_symbol, TruneGlassTokens::textMuted());
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, QRectF(rect()), height() / 2.0, TruneGlassTokens::textPrimary());
    }

private:
    QString m_symbol;
    qreal m_px;
};

// The list's scroll bar: a thin translucent handle over the glass.

} // namespace

AppsAndUpdatesView::AppsAndUpdatesView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"appsAndUpdatesView"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(outerPadding, outerPadding, outerPadding, outerPadding);
    layout->setSpacing(regionSpacing);
    layout->addWidget(buildSummaryStrip());
    auto* banner = new HomebrewBatchUpgradeBanner(viewModel, accentColor(TruneProductPalette::deepEmerald));
    banner->setObjectName(u"appsBatchBanner"_s);
    layout->addWidget(banner);
    layout->addWidget(buildFilterAndSearchBar());
    layout->addWidget(buildAppsListCard(), 1);

    connect(&viewModel, &UpdateStudioViewModel::changed, this, &AppsAndUpdatesView::sync);
    syncRowDelegate();
    syncList();
    syncMetrics();
    syncChips();
    syncSearchField();
    syncHeader();
    syncContentState();
}

QWidget* AppsAndUpdatesView::buildSummaryStrip()
{
    struct Card {
        const char* objectName;
        QString icon;
        QColor tint;
    };
    const std::array<Card, 4> cards{{
        {"installedAppsCard", u"square.grid.2x2"_s, m_accent},
        {"updatesAvailableCard", u"arrow.down.circle"_s, TruneGlassTokens::success()},
        {"nativeShareCard", u"cpu"_s, truneColor(0x5CC4FF)},
        {"footprintCard", u"internaldrive"_s, truneColor(0xA98BFF)},
    }};
    auto* strip = new QWidget;
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(metricSpacing);
    for (size_t index = 0; index < cards.size(); ++index) {
        auto* card = new MetricPillCard(QString(), QString(), cards[index].icon, cards[index].tint);
        card->setObjectName(QString::fromLatin1(cards[index].objectName));
        m_metrics[index] = card;
        layout->addWidget(card, 1);
    }
    return strip;
}

QWidget* AppsAndUpdatesView::buildFilterAndSearchBar()
{
    auto* chips = new QWidget;
    auto* chipLayout = new QHBoxLayout(chips);
    chipLayout->setContentsMargins(0, 0, 0, 0);
    chipLayout->setSpacing(chipSpacing);
    for (size_t index = 0; index < chipTitles.size(); ++index) {
        const AppFilterKind kind = chipTitles[index].kind;
        auto* chip = new FilterChipButton(QString(), m_accent);
        chip->setObjectName(u"filterChip-"_s + rawValue(kind));
        connect(chip, &QAbstractButton::clicked, this, [this, kind] { m_viewModel.setSelectedFilter(kind); });
        m_chips[index] = chip;
        chipLayout->addWidget(chip);
    }
    chipLayout->addStretch(1);

    auto* scroller = new QScrollArea;
    scroller->setObjectName(u"filterChipScroller"_s);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidgetResizable(true);
    scroller->setWidget(chips);
    chips->setAutoFillBackground(false); // setWidget turned it on
    scroller->viewport()->setAutoFillBackground(false);
    scroller->setFixedHeight(chips->sizeHint().height() + 4);

    auto* bar = new QWidget;
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(filterBarSpacing);
    layout->addWidget(scroller, 1);
    layout->addWidget(buildSearchField());
    return bar;
}

QWidget* AppsAndUpdatesView::buildSearchField()
{
    auto* frame = new SearchFieldFrame;
    frame->setObjectName(u"appSearchFrame"_s);
    frame->setFixedWidth(searchFieldWidth);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setSpacing(6);
    layout->addWidget(truneSymbolIcon(u"magnifyingglass"_s, qRound(searchSymbolPx), TruneGlassTokens::textMuted()));

    m_searchField = new QLineEdit;
    m_searchField->setObjectName(u"appSearchField"_s);
    m_searchField->setFrame(false);
    m_searchField->setFont(truneFont(12));
    m_searchField->setTextMargins(0, 0, 0, 0);
    m_searchField->setStyleSheet(u"QLineEdit { background: transparent; border: none; padding: 0; }"_s);
    QPalette palette = m_searchField->palette();
    palette.setColor(QPalette::Text, TruneGlassTokens::textPrimary());
    palette.setColor(QPalette::PlaceholderText, TruneGlassTokens::textMuted());
    m_searchField->setPalette(palette);
    connect(m_searchField, &QLineEdit::textEdited, this,
        [this](const QString& text) { m_viewModel.setAppSearchQuery(text); });
    layout->addWidget(m_searchField, 1);

    auto* clear = new PlainSymbolButton(u"xmark.circle.fill"_s, searchSymbolPx);
    clear->setObjectName(u"clearSearchButton"_s);
    connect(clear, &QAbstractButton::clicked, this, [this] {
        m_viewModel.setAppSearchQuery(QString());
        m_searchField->setFocus();
    });
    m_clearSearchButton = clear;
    layout->addWidget(clear);
    return frame;
}

QWidget* AppsAndUpdatesView::buildAppsListCard()
{
    auto* card = new TruneGlassCard(0, listCardRadius);
    card->setObjectName(u"appsListCard"_s);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildListHeader());
    layout->addWidget(new StudioHairline(truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65), 0.5));

    m_list = new QListView;
    m_list->setObjectName(u"appsList"_s);
    m_model = new AppsListModel(m_list);
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    styleStudioListView(*m_list, Qt::ScrollBarAsNeeded);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_delegate = new AppRowDelegate(m_accent, *m_list);
    m_list->setItemDelegate(m_delegate);
    connect(m_delegate, &AppRowDelegate::buttonClicked, this, &AppsAndUpdatesView::actOnRow);

    m_content = new QStackedWidget;
    m_content->setObjectName(u"appsContent"_s);
    m_content->addWidget(buildScanningState());
    m_content->addWidget(m_list);
    m_content->addWidget(buildEmptyState());
    layout->addWidget(m_content, 1);
    card->setContent(column);
    return card;
}

QWidget* AppsAndUpdatesView::buildListHeader()
{
    auto* header = new ListHeaderBand;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(16, 9, 16, 9);
    m_summaryLabel = truneSheetLabel(
        QString(), truneFont(11.5, QFont::Medium), TruneGlassTokens::textSecondary(), u"appsSummaryLabel"_s);
    m_lastCheckLabel = truneSheetLabel(QString(), truneFont(11), TruneGlassTokens::textMuted(), u"lastCheckLabel"_s);
    layout->addWidget(m_summaryLabel);
    layout->addStretch(1);
    layout->addWidget(m_lastCheckLabel);
    return header;
}

QWidget* AppsAndUpdatesView::buildScanningState()
{
    auto* page = new QWidget;
    page->setObjectName(u"appsScanningState"_s);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(10);
    layout->addStretch(1);
    auto* spinner = new TruneSpinner(TruneSpinnerSize::regular);
    QPalette palette = spinner->palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textSecondary());
    spinner->setPalette(palette);
    layout->addWidget(spinner, 0, Qt::AlignHCenter);
    m_scanningLabel = truneSheetLabel(
        QString(), truneFont(TruneTextStyle::callout), TruneGlassTokens::textSecondary(), u"appsScanningLabel"_s);
    layout->addWidget(m_scanningLabel, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

QWidget* AppsAndUpdatesView::buildEmptyState()
{
    auto* page = new QWidget;
    page->setObjectName(u"appsEmptyState"_s);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(8);
    layout->addStretch(1);
    m_emptySymbol = new StudioSymbolGlyph(u"checkmark.seal.fill"_s, m_accent, 30);
    m_emptySymbol->setObjectName(u"appsEmptySymbol"_s);
    layout->addWidget(m_emptySymbol, 0, Qt::AlignHCenter);
    m_emptyLabel = truneSheetLabel(
        QString(), truneFont(TruneTextStyle::headline), TruneGlassTokens::textPrimary(), u"appsEmptyLabel"_s);
    layout->addWidget(m_emptyLabel, 0, Qt::AlignHCenter);
    m_emptyDetail = truneSheetLabel(
        QString(), truneFont(TruneTextStyle::callout), TruneGlassTokens::textSecondary(), u"appsEmptyDetail"_s);
    m_emptyDetail->setWordWrap(true);
    m_emptyDetail->setAlignment(Qt::AlignHCenter);
    m_emptyDetail->setFixedWidth(emptyDetailWidth);
    // Centred by stretches rather than an alignment, so the label gets the height its lines need.
    auto* detailRow = new QHBoxLayout;
    detailRow->addStretch(1);
    detailRow->addWidget(m_emptyDetail);
    detailRow->addStretch(1);
    layout->addLayout(detailRow);
    layout->addStretch(1);
    return page;
}

void AppsAndUpdatesView::sync(StudioFields fields)
{
    const StudioFields listInputs = StudioField::installedApps | StudioField::config | StudioField::selectedFilter
        | StudioField::appSearchQuery | StudioField::homebrewItems | StudioField::brewExecutablePath
        | StudioField::heldAppOrder;
    const StudioFields everyText = StudioFields(StudioField::language);
    if (fields.testAnyFlags(StudioField::isBrewCommandRunning | StudioField::language))
        syncRowDelegate();
    if (fields.testAnyFlags(listInputs))
        syncList();
    if (fields.testAnyFlags(StudioField::installedApps | StudioField::config | everyText))
        syncMetrics();
    if (fields.testAnyFlags(StudioField::installedApps | StudioField::config | StudioField::selectedFilter | everyText))
        syncChips();
    if (fields.testAnyFlags(StudioField::appSearchQuery | everyText))
        syncSearchField();
    if (fields.testAnyFlags(listInputs | StudioField::lastCheckDate | everyText))
        syncHeader();
    if (fields.testAnyFlags(listInputs | StudioField::isScanningApps | everyText))
        syncContentState();
}

void AppsAndUpdatesView::syncMetrics()
{
    const StudioState& state = m_viewModel.state();
    const size_t outdated = StudioDerived::outdatedApps(state).size();
    const auto set = [&](size_t index, const QString& english, const QString& turkish, const QString& value) {
        m_metrics[index]->setTitle(m_viewModel.t(english, turkish));
        m_metrics[index]->setValue(value);
    };
    set(0, u"Installed Apps"_s, u"Kurulu Uygulama"_s, QString::number(state.installedApps.size()));
    set(1, u"Updates Available"_s, u"Güncelleme Hazır"_s, QString::number(outdated));
    m_metrics[1]->setTint(outdated != 0 ? TruneGlassTokens::warning() : TruneGlassTokens::success());
    set(2, u"Apple Silicon Native"_s, u"Apple Silicon Yerel"_s,
        QString::number(StudioDerived::appleSiliconNativePercent(state.installedApps)) + u"%"_s);
    set(3, u"Total App Footprint"_s, u"Toplam Disk Alanı"_s,
        TruneByteFormatter::format(StudioDerived::totalAppsDiskBytes(state.installedApps)));
}

void AppsAndUpdatesView::syncChips()
{
    const StudioState& state = m_viewModel.state();
    const size_t outdated = StudioDerived::outdatedApps(state).size();
    for (size_t index = 0; index < chipTitles.size(); ++index) {
        const ChipTitle& chip = chipTitles[index];
        QString title = m_viewModel.t(chip.english, chip.turkish);
        if (chip.kind == AppFilterKind::updatesAvailable && outdated >= 1)
            title += u" ("_s + QString::number(outdated) + u")"_s;
        m_chips[index]->setTitle(title);
        m_chips[index]->setActive(state.selectedFilter == chip.kind);
    }
}

void AppsAndUpdatesView::syncSearchField()
{
    const QString& query = m_viewModel.state().appSearchQuery;
    if (m_searchField->text() != query)
        m_searchField->setText(query);
    const QString placeholder = m_viewModel.t(u"Filter apps or bundle ID..."_s, u"Uygulama veya bundle ID ara..."_s);
    if (m_searchField->placeholderText() != placeholder)
        m_searchField->setPlaceholderText(placeholder);
    m_clearSearchButton->setVisible(!query.isEmpty());
    const QString clearName = m_viewModel.t(u"Clear Search"_s, u"Aramayı Temizle"_s);
    m_clearSearchButton->setToolTip(clearName);
    m_clearSearchButton->setAccessibleName(clearName);
}

void AppsAndUpdatesView::syncRowDelegate()
{
    const StudioState& state = m_viewModel.state();
    m_delegate->setLanguage(state.language);
    m_delegate->setBrewCommandRunning(state.isBrewCommandRunning);
    m_list->viewport()->update();
}

void AppsAndUpdatesView::syncList()
{
    m_model->sync(m_viewModel.state(), m_viewModel.environment().locale);
}

void AppsAndUpdatesView::syncHeader()
{
    const StudioState& state = m_viewModel.state();
    const QString shown = QString::number(m_model->rowCount());
    const QString total = QString::number(state.installedApps.size());
    truneSetTextIfChanged(*m_summaryLabel,
        m_viewModel.t(u"Showing "_s + shown + u" of "_s + total + u" applications"_s,
            total + u" uygulamadan "_s + shown + u" tanesi gösteriliyor"_s));
    m_lastCheckLabel->setVisible(state.lastCheckDate.has_value());
    if (state.lastCheckDate) {
        const QString time = StudioPageParts::hoursAndMinutes(
            state.lastCheckDate->toLocalTime().time(), m_viewModel.environment().locale);
        truneSetTextIfChanged(*m_lastCheckLabel, m_viewModel.t(u"Last check: "_s, u"Son kontrol: "_s) + time);
    }
}

// A list emptied by a chip or a search keeps the seal of "nothing to do"; a scan that found no
// bundle at all says where it looked, so a first run on a computer without .app bundles is not
// mistaken for "all up to date".
void AppsAndUpdatesView::syncEmptyState()
{
    const StudioState& state = m_viewModel.state();
    const bool nothingFound = state.installedApps.empty() && !state.isScanningApps;
    m_emptySymbol->setSymbol(nothingFound ? u"folder"_s : u"checkmark.seal.fill"_s,
        nothingFound ? TruneGlassTokens::textSecondary() : m_accent);
    m_emptyDetail->setVisible(nothingFound);
    if (!nothingFound) {
        truneSetTextIfChanged(
            *m_emptyLabel, m_viewModel.t(u"No matching applications found."_s, u"Eşleşen uygulama bulunamadı."_s));
        return;
    }
    QStringList folders;
    for (const QString& folder : m_viewModel.environment().searchDirectories)
        folders.append(homeShortened(folder));
    const QString joined = folders.join(u", "_s);
    truneSetTextIfChanged(*m_emptyLabel, m_viewModel.t(u"No .app bundles found."_s, u"Hiç .app paketi bulunamadı."_s));
    // The folders on a line of their own, so no path is broken at a slash.
    truneSetTextIfChanged(*m_emptyDetail,
        m_viewModel.t(u"TruneUpdate looks for application bundles (.app) in:\n"_s + joined
                + u"\nNone were found there on this computer."_s,
            u"TruneUpdate uygulama paketlerini (.app) şu klasörlerde arar:\n"_s + joined
                + u"\nBu bilgisayarda orada hiç paket bulunamadı."_s));
}

void AppsAndUpdatesView::syncContentState()
{
    const StudioState& state = m_viewModel.state();
    truneSetTextIfChanged(*m_scanningLabel,
        m_viewModel.t(u"Scanning /Applications and Mach-O headers..."_s,
            u"/Applications ve Mach-O ikili başlıkları taranıyor..."_s));
    syncEmptyState();
    QWidget* page = m_list;
    if (state.isScanningApps && state.installedApps.empty())
        page = m_content->widget(0);
    else if (m_model->rowCount() == 0)
        page = m_content->widget(2);
    if (m_content->currentWidget() != page)
        m_content->setCurrentWidget(page);
}

// The row is copied first: the operation may change the list the row came from.
void AppsAndUpdatesView::actOnRow(AppRowButton button, int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const InstalledAppRecord app = m_model->row(row).app;
    const bool ignored = m_model->row(row).ignored;
    switch (button) {
    case AppRowButton::update:
        m_viewModel.updateApp(app);
        break;
    case AppRowButton::releaseNotes:
        m_viewModel.openReleaseNotes(app);
        break;
    case AppRowButton::uninstall:
        m_viewModel.inspectAppForUninstall(app, true);
        break;
    case AppRowButton::menu:
        showRowMenu(app, ignored,
            m_list->viewport()->mapToGlobal(m_delegate->buttonRect(m_model->index(row), button).bottomLeft()));
        break;
    }
}

void AppsAndUpdatesView::showRowMenu(const InstalledAppRecord& app, bool ignored, const QPoint& globalPos)
{
    if (m_rowMenu)
        m_rowMenu->close();
    auto* menu = new QMenu(m_list->viewport());
    menu->setObjectName(u"appRowMenu"_s);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    UpdateStudioViewModel& model = m_viewModel;
    menu->addAction(model.t(u"Launch App"_s, u"Uygulamayı Aç"_s), &model, [&model, app] { model.launchApp(app); });
    const StudioPlatformTexts::Text reveal = StudioPlatformTexts::revealInFileManager();
    menu->addAction(
        model.t(reveal.english, reveal.turkish), &model, [&model, path = app.path] { model.revealInFinder(path); });
    if (!app.bundleID.isEmpty()) {
        menu->addSeparator();
        menu->addAction(ignored ? model.t(u"Stop Ignoring Updates"_s, u"Güncellemeleri Tekrar Takip Et"_s)
                                : model.t(u"Ignore Updates"_s, u"Güncellemeleri Yoksay"_s),
            &model, [&model, app] { model.toggleIgnoreApp(app); });
    }
    m_rowMenu = menu;
    menu->popup(globalPos);
}
