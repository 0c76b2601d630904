#include "app/views/homebrew/HomebrewManagerView.h"

#include "app/models/HomebrewPackagesListModel.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioWebLink.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/HomebrewBatchUpgradeBanner.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassInputField.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int searchFieldWidth = 272;

constexpr std::array subTabs{HomebrewSubTab::casks, HomebrewSubTab::formulae, HomebrewSubTab::search};

QLabel* plainLabel(const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    StudioPageParts::syncColor(label, color);
    return label;
}

// A rounded panel filled with `fill` and edged inside by a hairline of `border`.
class Panel final : public QWidget {
public:
    Panel(qreal radius, QColor fill, QColor border, QWidget* parent)
        : QWidget(parent)
        , m_radius(radius)
        , m_fill(std::move(fill))
        , m_border(std::move(border))
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25);
        const QPainterPath shape = TruneGlassShapes::roundedRect(bounds, m_radius);
        painter.fillPath(shape, m_fill);
        painter.strokePath(shape, QPen(m_border, 0.5));
    }

private:
    qreal m_radius;
    QColor m_fill;
    QColor m_border;
};

// One segment of the sub-tab group: semibold white on a light rounded fill when active.
class SubTabButton final : public QAbstractButton {
public:
    explicit SubTabButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    bool isActive() const { return m_active; }
    void setActive(bool active)
    {
        if (active == m_active)
            return;
        m_active = active;
        updateGeometry();
        update();
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(labelFont());
        return {int(std::ceil(metrics.horizontalAdvance(text()) + 22)), int(std::ceil(metrics.height() + 11))};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds(rect());
        if (m_active)
            painter.fillPath(TruneGlassShapes::roundedRect(bounds, 6.5), truneColor(0xFFFFFF, 0.12));
        painter.setFont(labelFont());
        painter.setPen(m_active ? QColor(Qt::white) : TruneGlassTokens::textSecondary());
        painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, text());
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, bounds, 6.5, TruneGlassTokens::textPrimary());
    }

private:
    QFont labelFont() const { return truneFont(11.5, m_active ? QFont::DemiBold : QFont::Medium); }

    bool m_active = false;
};

} // namespace

class HomebrewManagerView::Glyph final : public QWidget {
public:
    Glyph(const QString& name, qreal size, QColor color, QWidget* parent)
        : QWidget(parent)
        , m_name(name)
        , m_color(std::move(color))
    {
        const int edge = int(std::ceil(size));
        setFixedSize(edge, edge);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    const QString& name() const { return m_name; }
    void setName(const QString& name)
    {
        if (name == m_name)
            return;
        m_name = name;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TruneSymbols::paint(painter, QRectF(rect()), m_name, m_color);
    }

private:
    QString m_name;
    QColor m_color;
};

HomebrewManagerView::HomebrewManagerView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"homebrewManagerView"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);

    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages);
    m_pages->addWidget(makeMissingCard());

    auto* tab = new QWidget(m_pages);
    tab->setObjectName(u"homebrewTab"_s);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(makeToolbar());
    auto* banner = new HomebrewBatchUpgradeBanner(m_viewModel, m_accent, tab);
    banner->setObjectName(u"homebrewBatchUpgradeBanner"_s);
    column->addWidget(banner);
    column->addWidget(makeSubTabsAndSearchBar());
    column->addWidget(makePackagesListCard(), 1);
    m_pages->addWidget(tab);

    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &HomebrewManagerView::sync);
    syncAll();
}

HomebrewManagerView::~HomebrewManagerView() = default;

QString HomebrewManagerView::homebrewHomePage()
{
    return u"https://brew.sh"_s;
}

QWidget* HomebrewManagerView::makeMissingCard()
{
    auto* card = new TruneGlassCard(28, 14, m_pages);
    card->setObjectName(u"homebrewMissingCard"_s);
    auto* content = new QWidget(card);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(14);
    stack->addStretch(1);
    stack->addWidget(new Glyph(u"shippingbox.fill"_s, 42, TruneGlassTokens::warning(), content), 0, Qt::AlignHCenter);
    m_missingTitle
        = plainLabel(truneFont(TruneTextStyle::title2, QFont::Bold), TruneGlassTokens::textPrimary(), content);
    m_missingTitle->setObjectName(u"homebrewMissingTitle"_s);
    stack->addWidget(m_missingTitle, 0, Qt::AlignHCenter);
    m_missingDescription = plainLabel(truneFont(TruneTextStyle::body), TruneGlassTokens::textSecondary(), content);
    m_missingDescription->setObjectName(u"homebrewMissingDescription"_s);
    m_missingDescription->setWordWrap(true);
    m_missingDescription->setAlignment(Qt::AlignHCenter);
    m_missingDescription->setMaximumWidth(480);
    // Between stretches the wrapped text gets up to its full width, and the height it needs there.
    auto* descriptionRow = new QHBoxLayout();
    descriptionRow->addStretch(1);
    descriptionRow->addWidget(m_missingDescription, 100);
    descriptionRow->addStretch(1);
    stack->addLayout(descriptionRow);
    m_openHomePageButton = new TrunePrimaryButton(QString(), content);
    m_openHomePageButton->setObjectName(u"homebrewOpenHomePage"_s);
    connect(m_openHomePageButton, &QAbstractButton::clicked, this, &HomebrewManagerView::openHomebrewHomePage);
    stack->addWidget(m_openHomePageButton, 0, Qt::AlignHCenter);
    stack->addStretch(1);
    card->setContent(content);
    return card;
}

QWidget* HomebrewManagerView::makeToolbar()
{
    QColor border = truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65);
    auto* toolbar = new Panel(11, TruneGlassTokens::surface1(), border, this);
    toolbar->setObjectName(u"homebrewToolbar"_s);
    auto* row = new QHBoxLayout(toolbar);
    row->setContentsMargins(14, 11, 14, 11);
    row->setSpacing(14);

    auto* titles = new QVBoxLayout();
    titles->setSpacing(2);
    auto* titleLine = new QHBoxLayout();
    titleLine->setSpacing(7);
    titleLine->addWidget(new Glyph(u"shippingbox"_s, 13.5, HomebrewPackageRowDelegate::caskOrange(), toolbar));
    m_toolbarTitle = plainLabel(truneFont(13.5, QFont::DemiBold), TruneGlassTokens::textPrimary(), toolbar);
    titleLine->addWidget(m_toolbarTitle);
    titleLine->addStretch(1);
    titles->addLayout(titleLine);
    m_brewPath = plainLabel(
        truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted(), toolbar);
    m_brewPath->setObjectName(u"homebrewExecutablePath"_s);
    m_brewPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    titles->addWidget(m_brewPath);
    row->addLayout(titles);
    row->addStretch(1);

    m_updateButton = new TruneGlassButton(u"brew update"_s, false, toolbar);
    m_updateButton->setObjectName(u"homebrewUpdateButton"_s);
    m_updateButton->setSymbol(u"arrow.triangle.2.circlepath"_s);
    connect(m_updateButton, &QAbstractButton::clicked, &m_viewModel, &UpdateStudioViewModel::runBrewUpdateMetadata);
    m_cleanupButton = new TruneGlassButton(QString(), false, toolbar);
    m_cleanupButton->setObjectName(u"homebrewCleanupButton"_s);
    m_cleanupButton->setSymbol(u"sparkles"_s);
    connect(m_cleanupButton, &QAbstractButton::clicked, &m_viewModel, &UpdateStudioViewModel::runBrewCleanup);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addWidget(m_updateButton);
    buttons->addWidget(m_cleanupButton);
    row->addLayout(buttons);
    return toolbar;
}

QWidget* HomebrewManagerView::makeSubTabsAndSearchBar()
{
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);

    auto* group
        = new Panel(9, truneColor(0x000000, 0.2), truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.55), bar);
    group->setObjectName(u"homebrewSubTabs"_s);
    auto* segments = new QHBoxLayout(group);
    segments->setContentsMargins(3, 3, 3, 3);
    segments->setSpacing(2);
    for (const HomebrewSubTab tab : subTabs) {
        auto* button = new SubTabButton(group);
        button->setObjectName(u"homebrewSubTab."_s + rawValue(tab));
        connect(button, &QAbstractButton::clicked, this, [this, tab] { m_viewModel.setHomebrewSubTab(tab); });
        segments->addWidget(button);
        m_subTabButtons.push_back(button);
    }
    row->addWidget(group);
    row->addStretch(1);

    m_searchControls = new QWidget(bar);
    auto* search = new QHBoxLayout(m_searchControls);
    search->setContentsMargins(0, 0, 0, 0);
    search->setSpacing(8);
    m_searchField = new QLineEdit(m_searchControls);
    m_searchField->setObjectName(u"homebrewSearchField"_s);
    truneRecessedInputField(*m_searchField, 8, 10, 6.5);
    m_searchField->setFont(truneFont(12));
    m_searchField->setMinimumWidth(searchFieldWidth);
    connect(m_searchField, &QLineEdit::textEdited, &m_viewModel, &UpdateStudioViewModel::setBrewSearchQuery);
    // Return searches even while a search runs: only the button waits; the view model lets the
    // later search win.
    connect(m_searchField, &QLineEdit::returnPressed, &m_viewModel, &UpdateStudioViewModel::performBrewSearch);
    search->addWidget(m_searchField);

    m_searchButton = new TrunePrimaryButton(QString(), m_searchControls);
    m_searchButton->setObjectName(u"homebrewSearchButton"_s);
    auto* label = new QHBoxLayout(m_searchButton);
    label->setContentsMargins(14, 0, 14, 0);
    label->setSpacing(6);
    const QColor ink = truneColor(0x000000, 0.9);
    m_searchGlyph = new Glyph(u"magnifyingglass"_s, 12, ink, m_searchButton);
    m_searchSpinner = new TruneSpinner(TruneSpinnerSize::small, m_searchButton);
    m_searchSpinner->setObjectName(u"homebrewSearchSpinner"_s);
    m_searchSpinner->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette spinnerPalette = m_searchSpinner->palette();
    spinnerPalette.setColor(QPalette::WindowText, ink);
    m_searchSpinner->setPalette(spinnerPalette);
    m_searchLabel = plainLabel(truneFont(13, QFont::DemiBold), ink, m_searchButton);
    m_searchLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->addWidget(m_searchGlyph);
    label->addWidget(m_searchSpinner);
    label->addWidget(m_searchLabel);
    connect(m_searchButton, &QAbstractButton::clicked, &m_viewModel, &UpdateStudioViewModel::performBrewSearch);
    search->addWidget(m_searchButton);
    row->addWidget(m_searchControls);

    m_filterControls = new QWidget(bar);
    auto* filter = new QHBoxLayout(m_filterControls);
    filter->setContentsMargins(0, 0, 0, 0);
    filter->setSpacing(8);
    m_dependencyToggle = new TruneGlassButton(QString(), false, m_filterControls);
    m_dependencyToggle->setObjectName(u"homebrewDependencyToggle"_s);
    // 11 px medium text; the symbol is as tall as the text's ascent, 10.5 px.
    m_dependencyToggle->setFont(truneFont(11, QFont::Medium));
    connect(m_dependencyToggle, &QAbstractButton::clicked, this,
        [this] { m_viewModel.setShowBrewDependencies(!m_viewModel.state().showBrewDependencies); });
    filter->addWidget(m_dependencyToggle);
    m_filterField = new QLineEdit(m_filterControls);
    m_filterField->setObjectName(u"homebrewFilterField"_s);
    truneRecessedInputField(*m_filterField, 8, 10, 6.5);
    m_filterField->setFont(truneFont(12));
    m_filterField->setFixedWidth(232);
    m_filterField->addAction(TruneSymbols::icon(u"line.3.horizontal.decrease.circle"_s, TruneGlassTokens::textMuted()),
        QLineEdit::LeadingPosition);
    connect(m_filterField, &QLineEdit::textEdited, &m_viewModel, &UpdateStudioViewModel::setHomebrewFilterQuery);
    filter->addWidget(m_filterField);
    row->addWidget(m_filterControls);
    return bar;
}

QWidget* HomebrewManagerView::makePackagesListCard()
{
    auto* card = new TruneGlassCard(0, 13, this);
    card->setObjectName(u"homebrewPackagesCard"_s);
    m_listPages = new QStackedWidget(card);

    auto* empty = new QWidget(m_listPages);
    empty->setObjectName(u"homebrewEmptyState"_s);
    auto* emptyStack = new QVBoxLayout(empty);
    emptyStack->setSpacing(8);
    emptyStack->addStretch(1);
    m_emptyGlyph = new Glyph(u"shippingbox"_s, 28, m_accent, empty);
    emptyStack->addWidget(m_emptyGlyph, 0, Qt::AlignHCenter);
    m_emptyText = plainLabel(truneFont(TruneTextStyle::body), TruneGlassTokens::textSecondary(), empty);
    m_emptyText->setObjectName(u"homebrewEmptyText"_s);
    emptyStack->addWidget(m_emptyText, 0, Qt::AlignHCenter);
    emptyStack->addStretch(1);
    m_listPages->addWidget(empty);

    m_model = new HomebrewPackagesListModel(this);
    m_delegate = new HomebrewPackageRowDelegate(m_accent, this);
    connect(m_delegate, &HomebrewPackageRowDelegate::buttonClicked, this, &HomebrewManagerView::actOnClickedRow);
    m_list = new QListView(m_listPages);
    m_list->setObjectName(u"homebrewPackagesList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    styleStudioListView(*m_list, Qt::ScrollBarAsNeeded);
    // Every row has the delegate's one height, so a new filter lays out thousands of rows at once.
    m_list->setUniformItemSizes(true);
    m_list->setMouseTracking(true);
    m_list->setAutoFillBackground(false);
    m_list->installEventFilter(this);
    m_listPages->addWidget(m_list);

    card->setContent(m_listPages);
    return card;
}

void HomebrewManagerView::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::language)) {
        syncAll();
        return;
    }
    if (fields.testFlag(StudioField::brewExecutablePath))
        syncBrewPath();
    if (fields.testAnyFlags(StudioField::homebrewSubTab | StudioField::homebrewItems))
        syncSubTabs();
    if (fields.testAnyFlags(StudioField::homebrewSubTab | StudioField::brewSearchQuery | StudioField::isSearchingBrew
            | StudioField::homebrewFilterQuery))
        syncSearchControls();
    if (fields.testAnyFlags(
            StudioField::homebrewSubTab | StudioField::homebrewItems | StudioField::showBrewDependencies))
        syncDependencyToggle();
    if (fields.testFlag(StudioField::isBrewCommandRunning)) {
        syncCommandButtons();
        syncRowDelegate();
    }
    if (fields.testAnyFlags(StudioField::homebrewSubTab | StudioField::homebrewItems | StudioField::brewSearchResults
            | StudioField::homebrewFilterQuery | StudioField::showBrewDependencies | StudioField::searchedBrewQuery))
        syncList();
}

void HomebrewManagerView::syncAll()
{
    syncTexts();
    syncBrewPath();
    syncSubTabs();
    syncSearchControls();
    syncDependencyToggle();
    syncCommandButtons();
    syncRowDelegate();
    syncList();
}

void HomebrewManagerView::syncTexts()
{
    const QString host = QUrl(homebrewHomePage()).host();
    truneSetTextIfChanged(*m_missingTitle, m_viewModel.t(u"Homebrew Not Detected"_s, u"Homebrew Bulunamadı"_s));
    const StudioPlatformTexts::Text description = StudioPlatformTexts::installHomebrewDescription();
    truneSetTextIfChanged(*m_missingDescription, m_viewModel.t(description.english, description.turkish));
    truneSetTextIfChanged(*m_openHomePageButton, m_viewModel.t(u"Open "_s + host, host + u" Sayfasını Aç"_s));
    truneSetTextIfChanged(*m_toolbarTitle, m_viewModel.t(u"Homebrew Visual Store"_s, u"Homebrew Görsel Mağazası"_s));
    truneSetTextIfChanged(*m_cleanupButton, m_viewModel.t(u"Cleanup Cache"_s, u"Önbellek Temizle"_s));
    truneSetTextIfChanged(*m_searchLabel, m_viewModel.t(u"Search"_s, u"Ara"_s));
    m_searchButton->setAccessibleName(m_searchLabel->text());
    // The button draws no text of its own: its label is the row of glyph or spinner and text on
    // it, with room for the wider spinner so the button keeps its width while a search runs.
    const QMargins margins = m_searchButton->layout()->contentsMargins();
    const int labelWidth = m_searchSpinner->sizeHint().width() + m_searchButton->layout()->spacing()
        + QFontMetrics(m_searchLabel->font()).horizontalAdvance(m_searchLabel->text());
    m_searchButton->setFixedWidth(margins.left() + labelWidth + margins.right() + 2);
    m_searchField->setPlaceholderText(m_viewModel.t(
        u"Search Homebrew (e.g. raycast, jq, ffmpeg)..."_s, u"Homebrew'da ara (örn. raycast, jq, ffmpeg)..."_s));
    fitSearchFieldToPlaceholder();
    m_filterField->setPlaceholderText(
        m_viewModel.t(u"Filter installed packages..."_s, u"Kurulu paketleri filtrele..."_s));
    m_dependencyToggle->setToolTip(
        m_viewModel.t(u"Show or hide internal transitive libraries installed automatically as dependencies"_s,
            u"Diğer paketlerin otomatik kurduğu iç kütüphane bağımlılıklarını göster/gizle"_s));
}

void HomebrewManagerView::syncBrewPath()
{
    const std::optional<QString>& path = m_viewModel.state().brewExecutablePath;
    m_pages->setCurrentIndex(path ? 1 : 0);
    truneSetTextIfChanged(*m_brewPath, path.value_or(QString()));
}

void HomebrewManagerView::syncSubTabs()
{
    const StudioState& state = m_viewModel.state();
    const auto casks = std::ranges::count_if(state.homebrewItems, [](const HomebrewItem& item) { return item.isCask; });
    const QString formulae = QString::number(StudioDerived::directFormulaeCount(state.homebrewItems));
    const QString titles[] = {
        m_viewModel.t(u"Casks (%1)"_s, u"Cask (%1)"_s).arg(casks),
        m_viewModel.t(u"Formulae (%1)"_s, u"Formulae (%1)"_s).arg(formulae),
        m_viewModel.t(u"Search & Install"_s, u"Ara ve Kur"_s),
    };
    for (size_t i = 0; i < subTabs.size(); ++i) {
        auto* button = static_cast<SubTabButton*>(m_subTabButtons[i]);
        truneSetTextIfChanged(*button, titles[i]);
        button->setActive(subTabs[i] == state.homebrewSubTab);
    }
}

void HomebrewManagerView::syncSearchControls()
{
    const StudioState& state = m_viewModel.state();
    const bool searchTab = state.homebrewSubTab == HomebrewSubTab::search;
    m_searchControls->setVisible(searchTab);
    m_filterControls->setVisible(!searchTab);
    truneSetTextIfChanged(*m_searchField, state.brewSearchQuery);
    truneSetTextIfChanged(*m_filterField, state.homebrewFilterQuery);
    m_searchButton->setEnabled(!state.isSearchingBrew);
    m_searchSpinner->setVisible(state.isSearchingBrew);
    m_searchGlyph->setVisible(!state.isSearchingBrew);
}

void HomebrewManagerView::syncDependencyToggle()
{
    const StudioState& state = m_viewModel.state();
    const int dependencies = StudioDerived::dependencyFormulaeCount(state.homebrewItems);
    m_dependencyToggle->setVisible(state.homebrewSubTab == HomebrewSubTab::formulae && dependencies >= 1);
    m_dependencyToggle->setActive(state.showBrewDependencies);
    m_dependencyToggle->setSymbol(state.showBrewDependencies ? u"eye.fill"_s : u"eye.slash"_s);
    truneSetTextIfChanged(
        *m_dependencyToggle, m_viewModel.t(u"Dependencies (+%1)"_s, u"Alt Bağımlılıklar (+%1)"_s).arg(dependencies));
}

void HomebrewManagerView::syncCommandButtons()
{
    const bool free = !m_viewModel.state().isBrewCommandRunning;
    m_updateButton->setEnabled(free);
    m_cleanupButton->setEnabled(free);
}

void HomebrewManagerView::syncRowDelegate()
{
    const StudioState& state = m_viewModel.state();
    m_delegate->setLanguage(state.language);
    m_delegate->setBrewCommandRunning(state.isBrewCommandRunning);
    m_list->viewport()->update();
}

void HomebrewManagerView::syncList()
{
    const StudioState& state = m_viewModel.state();
    m_model->setItems(StudioDerived::filteredHomebrewItems(state, m_filterIndex));
    const bool searchTab = state.homebrewSubTab == HomebrewSubTab::search;
    m_emptyGlyph->setName(searchTab ? u"magnifyingglass"_s : u"shippingbox"_s);
    truneSetTextIfChanged(*m_emptyText,
        searchTab ? emptySearchText() : m_viewModel.t(u"No packages in this list."_s, u"Bu listede paket yok."_s));
    m_listPages->setCurrentIndex(m_model->rowCount() == 0 ? 0 : 1);
}

// The hint before a search; after one that found nothing, what was searched for.
QString HomebrewManagerView::emptySearchText() const
{
    if (const std::optional<QString>& query = m_viewModel.state().searchedBrewQuery)
        return m_viewModel.t(
            u"No packages match '"_s + *query + u"'."_s, u"'"_s + *query + u"' ile eşleşen paket yok."_s);
    return m_viewModel.t(u"Enter a package name and press Search."_s, u"Bir paket adı yazıp Ara'ya basın."_s);
}

void HomebrewManagerView::openHomebrewHomePage()
{
    const QUrl page(homebrewHomePage(), QUrl::StrictMode);
    if (page.isValid())
        m_viewModel.environment().openUrl(page);
}

// The field grows past its usual width when the placeholder needs it, so the hint is never cut.
void HomebrewManagerView::fitSearchFieldToPlaceholder()
{
    const QMargins margins = m_searchField->textMargins();
    const int placeholder = QFontMetrics(m_searchField->font()).horizontalAdvance(m_searchField->placeholderText());
    // QLineEdit keeps 2 px of its own on each side, and a pixel for the cursor.
    const int needed = placeholder + margins.left() + margins.right() + 2 * 2 + 2;
    m_searchField->setFixedWidth(std::max(searchFieldWidth, needed));
}

// The item is copied first: the operation may change the list it came from.
void HomebrewManagerView::actOnClickedRow(HomebrewPackageRowDelegate::RowButton button, int row)
{
    if (const HomebrewItem* item = m_model->itemAt(m_model->index(row)))
        actOnRow(button, HomebrewItem(*item));
}

void HomebrewManagerView::actOnRow(HomebrewPackageRowDelegate::RowButton button, const HomebrewItem& item)
{
    using RowButton = HomebrewPackageRowDelegate::RowButton;
    switch (button) {
    case RowButton::homePage:
        if (const std::optional<QUrl> page = studioWebLink(item.homepage))
            m_viewModel.environment().openUrl(*page);
        break;
    case RowButton::upgrade:
        m_viewModel.upgradeBrewItem(item);
        break;
    case RowButton::install:
        m_viewModel.installBrewItem(item);
        break;
    case RowButton::uninstall:
        confirmUninstall(item);
        break;
    }
}

// `brew uninstall` deletes the package outright (for a cask, the app itself), so it is confirmed
// first, Cancel being the default.
void HomebrewManagerView::confirmUninstall(const HomebrewItem& item)
{
    const QString& name = item.fullName;
    auto* box = new QMessageBox(this);
    box->setObjectName(u"homebrewUninstallConfirmation"_s);
    truneWidenMessageBox(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    const QString title
        = m_viewModel.t(u"Uninstall "_s + name + u" with Homebrew?"_s, name + u" Homebrew ile kaldırılsın mı?"_s);
    box->setWindowTitle(title);
    box->setText(title);
    box->setInformativeText(m_viewModel.t(u"Homebrew deletes "_s + name + u" itself; it is not moved to the Trash."_s,
        u"Homebrew "_s + name + u" paketini doğrudan siler; Çöp Sepetine taşınmaz."_s));
    QPushButton* cancel = box->addButton(m_viewModel.t(u"Cancel"_s, u"İptal"_s), QMessageBox::RejectRole);
    cancel->setObjectName(u"cancel"_s);
    QPushButton* uninstall = box->addButton(m_viewModel.t(u"Uninstall"_s, u"Kaldır"_s), QMessageBox::DestructiveRole);
    uninstall->setObjectName(u"uninstall"_s);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, uninstall, item](QAbstractButton* clicked) {
        if (clicked == uninstall)
            m_viewModel.uninstallBrewItem(item);
    });
    box->open();
}

bool HomebrewManagerView::actOnCurrentRowByKey(int key)
{
    using RowButton = HomebrewPackageRowDelegate::RowButton;
    const HomebrewItem* item = m_model->itemAt(m_list->currentIndex());
    if (!item)
        return false;
    const bool commandKey = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool deleteKey = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    if (!commandKey && !deleteKey)
        return false;
    const QRect rowRect = m_list->visualRect(m_list->currentIndex());
    for (const auto& place : m_delegate->buttonsOf(*item, rowRect)) {
        const bool wanted = deleteKey ? place.button == RowButton::uninstall
                                      : place.button == RowButton::upgrade || place.button == RowButton::install;
        if (wanted && place.enabled) {
            actOnRow(place.button, HomebrewItem(*item));
            return true;
        }
    }
    return false;
}

// Rows have no widgets to tab to: Return runs the current row's Upgrade or Install and Delete its
// uninstall (after the confirmation), as the row's buttons would.
bool HomebrewManagerView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress)
        return actOnCurrentRowByKey(static_cast<QKeyEvent*>(event)->key()) || QWidget::eventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}
