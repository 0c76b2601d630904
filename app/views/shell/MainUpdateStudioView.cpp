#include "app/views/shell/MainUpdateStudioView.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/BrewConsoleDrawerView.h"
#include "app/views/parts/StudioHairline.h"
#include "app/views/shell/StudioHeaderBar.h"
#include "app/views/shell/StudioTabPages.h"
#include "app/views/shell/TrashLeftoverBanner.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneToastBanner.h"
#include "kit/ui/TruneUnifiedTitlebarWindow.h"
#include "kit/ui/TruneVersionAndLogsView.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Fades a layer while it moves; switched off at rest, where it would only cost painting time.
void applyFade(QGraphicsOpacityEffect* fade, qreal progress)
{
    if (!fade)
        return;
    fade->setOpacity(progress);
    fade->setEnabled(progress < 1);
}

int heightOf(const QWidget& widget)
{
    return std::max(widget.sizeHint().height(), widget.minimumHeight());
}

} // namespace

MainUpdateStudioView::MainUpdateStudioView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_ground(new TruneGroundBackground(TruneProductPalette::deepEmerald, this))
    , m_column(new QWidget(this))
    , m_columnLayout(new QVBoxLayout(m_column))
    , m_header(new StudioHeaderBar(viewModel, accent, m_column))
    , m_trashBanner(new TrashLeftoverBanner(viewModel, m_column))
    , m_drawerSlot(new QWidget(m_column))
    , m_drawerAnimation(new QVariantAnimation(this))
    , m_toastAnimation(new QVariantAnimation(this))
{
    truneApplyGlassPalette(*this, TruneProductPalette::deepEmerald);
    new TruneUnifiedTitlebarWindow(
        *this, {.mode = TruneUnifiedTitlebarMode::unifiedHeader, .fullscreenLeading = 16, .trafficLightGap = 14});
    setObjectName(u"mainUpdateStudioView"_s);
    setMinimumSize(minimumWidth, minimumHeight);
    m_columnLayout->setContentsMargins(0, 0, 0, 0);
    m_columnLayout->setSpacing(0);
    m_columnLayout->addWidget(m_header);
    auto* headerLine = new StudioHairline(truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65), 0.5, m_column);
    headerLine->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_columnLayout->addWidget(headerLine);
    m_columnLayout->addWidget(m_trashBanner);
    // The tab's screen goes here, at index 3.
    m_columnLayout->addWidget(m_drawerSlot);
    m_drawerSlot->setObjectName(u"consoleDrawerSlot"_s);
    m_drawerSlot->setFixedHeight(0);
    // The drawer lies in its slot at full height and follows the slot's width.
    m_drawerSlot->installEventFilter(this);

    connect(m_drawerAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_drawerProgress = value.toReal();
        layOutDrawer();
        layOutToast();
    });
    connect(m_drawerAnimation, &QVariantAnimation::finished, this, [this] {
        if (m_drawerProgress == 0 && m_drawer)
            delete m_drawer;
    });
    connect(m_toastAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_toastProgress = value.toReal();
        layOutToast();
    });
    connect(m_toastAnimation, &QVariantAnimation::finished, this, [this] {
        if (m_toastProgress == 0 && m_toast)
            delete m_toast;
    });
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &MainUpdateStudioView::sync);

    showTab(m_viewModel.state().selectedTab);
    syncDrawer();
    syncToast();
    syncVersionSheet();
}

MainUpdateStudioView::~MainUpdateStudioView()
{
    // The sheet belongs to the window and would otherwise call back into the view model after this
    // view is gone; its close action is only for a sheet that the user closes.
    if (m_sheet) {
        m_sheet->disconnect();
        delete m_sheet;
    }
}

BrewConsoleDrawerView* MainUpdateStudioView::consoleDrawer() const
{
    return m_drawer;
}

TruneToastBanner* MainUpdateStudioView::toast() const
{
    return m_toast;
}

TruneVersionAndLogsView* MainUpdateStudioView::versionSheet() const
{
    return m_sheet;
}

void MainUpdateStudioView::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::selectedTab))
        showTab(m_viewModel.state().selectedTab);
    if (fields.testFlag(StudioField::showBrewConsole))
        syncDrawer();
    if (fields.testAnyFlags(StudioField::toastMessage | StudioField::toastIsError))
        syncToast();
    if (fields.testFlag(StudioField::isVersionLogsSheetPresented))
        syncVersionSheet();
}

void MainUpdateStudioView::showTab(UpdateStudioTab tab)
{
    if (m_shownTab == tab)
        return;
    m_shownTab = tab;
    delete m_tabPage;
    m_tabPage = makeStudioTabPage(tab, m_viewModel, m_accent, m_column);
    m_columnLayout->insertWidget(3, m_tabPage, 1);
    m_tabPage->show();
}

void MainUpdateStudioView::syncDrawer()
{
    const bool shown = m_viewModel.state().showBrewConsole;
    if (shown && !m_drawer) {
        m_drawer = new BrewConsoleDrawerView(m_viewModel, m_drawerSlot);
        m_drawer->setObjectName(u"consoleDrawer"_s);
        m_drawerFade = new QGraphicsOpacityEffect(m_drawer);
        m_drawer->setGraphicsEffect(m_drawerFade);
        m_drawer->show();
    }
    if (!m_drawer)
        return;
    TruneAnimations::run(*m_drawerAnimation, TruneAnimations::layer(), shown ? 1.0 : 0.0);
    layOutDrawer();
}

void MainUpdateStudioView::layOutDrawer()
{
    if (!m_drawer) {
        m_drawerSlot->setFixedHeight(0);
        return;
    }
    const int full = heightOf(*m_drawer);
    m_drawer->setGeometry(0, 0, m_drawerSlot->width(), full);
    m_drawerSlot->setFixedHeight(static_cast<int>(std::round(full * m_drawerProgress)));
    applyFade(m_drawerFade, m_drawerProgress);
}

void MainUpdateStudioView::syncToast()
{
    const StudioState& state = m_viewModel.state();
    if (!state.toastMessage) {
        if (m_toast)
            TruneAnimations::run(*m_toastAnimation, TruneAnimations::layer(), 0.0);
        return;
    }
    const bool replacing = m_toast != nullptr;
    if (replacing && m_toast->message() == *state.toastMessage && m_toast->isError() == state.toastIsError)
        return;
    // A new message takes the place of the one shown, without sliding again.
    delete m_toast;
    m_toast = new TruneToastBanner(*state.toastMessage, state.toastIsError, this);
    m_toast->setObjectName(u"studioToast"_s);
    m_toastFade = new QGraphicsOpacityEffect(m_toast);
    m_toast->setGraphicsEffect(m_toastFade);
    m_toast->show();
    m_toast->raise();
    if (!replacing)
        m_toastProgress = 0;
    TruneAnimations::run(*m_toastAnimation, TruneAnimations::layer(), 1.0);
    layOutToast();
}

double MainUpdateStudioView::toastInset() const
{
    return toastBottomInset + (toastBottomInsetOverDrawer - toastBottomInset) * m_drawerProgress;
}

void MainUpdateStudioView::layOutToast()
{
    if (!m_toast)
        return;
    const QSize hint = m_toast->sizeHint();
    const int width = std::min(hint.width(), std::max(0, this->width() - 40));
    m_toast->resize(width, hint.height());
    const QRectF capsule = m_toast->capsuleRect();
    const double restingTop = height() - toastInset() - capsule.bottom();
    // Hidden below the bottom edge at 0, resting at 1.
    const double top = restingTop + (1 - m_toastProgress) * (height() - restingTop);
    m_toast->move((this->width() - width) / 2, static_cast<int>(std::round(top)));
    applyFade(m_toastFade, m_toastProgress);
}

void MainUpdateStudioView::syncVersionSheet()
{
    const StudioState& state = m_viewModel.state();
    if (!state.isVersionLogsSheetPresented) {
        if (m_sheet)
            m_sheet->close();
        return;
    }
    if (m_sheet)
        return;
    TruneAppLogger* logger = m_viewModel.environment().logger;
    QPointer<UpdateStudioViewModel> viewModel(&m_viewModel);
    m_sheet = new TruneVersionAndLogsView(
        {.appName = u"TruneUpdate"_s,
            .version = TruneAppVersion::current(TruneBundle::main(), u"1.0.0"_s, u"100"_s),
            .logger = logger ? logger : &TruneAppLogger::shared(u"TruneUpdate"_s),
            .palette = TruneProductPalette::deepEmerald,
            .language = state.language,
            .fallbackReleases = {},
            .onClose =
                [viewModel] {
                    if (viewModel)
                        viewModel->setVersionLogsSheetPresented(false);
                }},
        window());
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_sheet->setFixedSize(versionSheetSize);
    m_sheet->open();
}

bool MainUpdateStudioView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_drawerSlot && event->type() == QEvent::Resize && m_drawer)
        m_drawer->resize(m_drawerSlot->width(), heightOf(*m_drawer));
    return QWidget::eventFilter(watched, event);
}

void MainUpdateStudioView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_ground->setGeometry(rect());
    m_column->setGeometry(rect());
    layOutDrawer();
    layOutToast();
}
