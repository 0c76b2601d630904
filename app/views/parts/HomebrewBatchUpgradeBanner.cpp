#include "app/views/parts/HomebrewBatchUpgradeBanner.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbolView.h"

#include <QBoxLayout>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal cornerRadius = 10;
constexpr qreal borderWidth = 0.5;
constexpr StudioFields shownFields = StudioField::homebrewItems | StudioField::batchUpgradeProgress
    | StudioField::isBrewCommandRunning | StudioField::activeBrewCommandTitle | StudioField::showBrewConsole
    | StudioField::language;

void styleLabel(TruneElidedLabel& label, const QFont& font, const QColor& color)
{
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

TruneGlassButton* glassButton(const QString& symbol, qreal fontPx, QFont::Weight weight, const QString& objectName)
{
    auto* button = new TruneGlassButton(QString());
    button->setSymbol(symbol);
    button->setFont(truneFont(fontPx, weight));
    button->setObjectName(objectName);
    return button;
}

QString number(int value)
{
    return QString::number(value);
}

} // namespace

HomebrewBatchUpgradeBanner::HomebrewBatchUpgradeBanner(
    UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"batchUpgradeBanner"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    buildRow();
    connect(&viewModel, &UpdateStudioViewModel::changed, this, &HomebrewBatchUpgradeBanner::resync);
    showLook();
}

void HomebrewBatchUpgradeBanner::buildRow()
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 9, 14, 9);
    row->setSpacing(12);

    m_spinner = new TruneSpinner(TruneSpinnerSize::small);
    m_spinner->setObjectName(u"batchBannerSpinner"_s);
    QPalette spinnerPalette = m_spinner->palette();
    spinnerPalette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    m_spinner->setPalette(spinnerPalette);
    m_symbol = new TruneSymbolView(u"arrow.up.circle.fill"_s, 17, m_accent);
    m_symbol->setObjectName(u"batchBannerSymbol"_s);

    m_headline = new TruneElidedLabel;
    m_headline->setObjectName(u"batchBannerHeadline"_s);
    m_detail = new TruneElidedLabel;
    m_detail->setObjectName(u"batchBannerDetail"_s);
    m_textLayout = new QBoxLayout(QBoxLayout::TopToBottom);
    m_textLayout->addWidget(m_headline);
    m_textLayout->addWidget(m_detail);

    m_consoleButton = glassButton(u"terminal"_s, 11.5, QFont::Medium, u"batchBannerConsole"_s);
    m_cancelButton = glassButton(u"stop.fill"_s, 11.5, QFont::DemiBold, u"batchBannerCancel"_s);
    m_dependencyButton
        = glassButton(u"arrow.triangle.2.circlepath"_s, 11.5, QFont::Medium, u"batchBannerUpgradeDependencies"_s);
    m_upgradeButton = new TrunePrimaryButton(QString());
    m_upgradeButton->setSymbol(u"arrow.up.circle.fill"_s);
    m_upgradeButton->setFont(truneFont(12, QFont::DemiBold));
    m_upgradeButton->setObjectName(u"batchBannerUpgrade"_s);

    row->addWidget(m_spinner, 0, Qt::AlignVCenter);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    row->addLayout(m_textLayout);
    row->addStretch(1);
    for (QAbstractButton* button :
        std::initializer_list<QAbstractButton*>{m_consoleButton, m_cancelButton, m_upgradeButton, m_dependencyButton})
        row->addWidget(button, 0, Qt::AlignVCenter);

    connect(m_consoleButton, &QAbstractButton::clicked, this, [this] { m_viewModel.setShowBrewConsole(true); });
    connect(m_cancelButton, &QAbstractButton::clicked, this, [this] { m_viewModel.cancelBrewCommand(); });
    connect(m_upgradeButton, &QAbstractButton::clicked, this, [this] { m_viewModel.upgradeAllBrew(); });
    connect(m_dependencyButton, &QAbstractButton::clicked, this,
        [this] { m_viewModel.upgradeAllBrewDependenciesNative(); });
}

void HomebrewBatchUpgradeBanner::resync(StudioFields fields)
{
    if (fields.testAnyFlags(shownFields))
        showLook();
}

void HomebrewBatchUpgradeBanner::showLook()
{
    const StudioState& state = m_viewModel.state();
    const int casks = static_cast<int>(StudioDerived::outdatedCasks(state.homebrewItems).size());
    const int formulae = static_cast<int>(StudioDerived::outdatedFormulae(state.homebrewItems).size());
    const int dependencies = static_cast<int>(StudioDerived::outdatedDependencyFormulae(state.homebrewItems).size());

    if (const auto& progress = state.batchUpgradeProgress) {
        m_look = Look::progress;
        showBusy(m_viewModel.t(u"Upgrading %1/%2 · %3"_s, u"Yükseltiliyor %1/%2 · %3"_s)
                     .arg(number(progress->current), number(progress->total), progress->currentPackageName),
            true);
    } else if (state.isBrewCommandRunning) {
        m_look = Look::running;
        showBusy(m_viewModel.t(u"Running Homebrew update..."_s, u"Homebrew güncellemesi çalışıyor..."_s),
            !state.activeBrewCommandTitle.isEmpty());
    } else if (casks + formulae >= 1) {
        m_look = Look::upgradeOffer;
        showUpgradeOffer(casks, formulae, dependencies);
    } else if (dependencies >= 1) {
        m_look = Look::dependencyOffer;
        showDependencyOffer(dependencies);
    } else {
        m_look = Look::none;
    }

    const bool busy = m_look == Look::progress || m_look == Look::running;
    m_spinner->setVisible(busy);
    m_symbol->setVisible(m_look == Look::upgradeOffer || m_look == Look::dependencyOffer);
    m_consoleButton->setVisible(busy && !state.showBrewConsole);
    m_cancelButton->setVisible(busy);
    m_upgradeButton->setVisible(m_look == Look::upgradeOffer);
    m_dependencyButton->setVisible(m_look == Look::dependencyOffer);
    setVisible(m_look != Look::none);
    update();
}

void HomebrewBatchUpgradeBanner::showBusy(const QString& headline, bool showCommandLine)
{
    m_textLayout->setDirection(QBoxLayout::TopToBottom);
    m_textLayout->setSpacing(1);
    styleLabel(*m_headline, truneFont(12, QFont::DemiBold), TruneGlassTokens::textPrimary());
    m_headline->setText(headline);
    styleLabel(*m_detail, truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted());
    m_detail->setText(m_viewModel.state().activeBrewCommandTitle);
    m_detail->setVisible(showCommandLine);
    truneSetTextIfChanged(*m_consoleButton, m_viewModel.t(u"Console"_s, u"Konsol"_s));
    truneSetTextIfChanged(*m_cancelButton, m_viewModel.t(u"Cancel"_s, u"İptal Et"_s));
}

void HomebrewBatchUpgradeBanner::showUpgradeOffer(int casks, int formulae, int dependencies)
{
    const int packages = casks + formulae;
    m_textLayout->setDirection(QBoxLayout::LeftToRight);
    m_textLayout->setSpacing(8);
    m_symbol->setSymbol(u"arrow.up.circle.fill"_s);
    m_symbol->setEdge(17);
    m_symbol->setColor(m_accent);

    styleLabel(*m_headline, truneFont(12.5, QFont::DemiBold), TruneGlassTokens::textPrimary());
    m_headline->setText(m_viewModel.t(
        (packages == 1 ? u"%1 Homebrew package ready to upgrade"_s : u"%1 Homebrew packages ready to upgrade"_s)
            .arg(packages),
        u"%1 Homebrew paketi güncellenebilir"_s.arg(packages)));

    QString breakdown
        = m_viewModel.t(u"%1 cask · %2 formulae"_s, u"%1 cask · %2 formula"_s).arg(number(casks), number(formulae));
    if (dependencies >= 1)
        breakdown += m_viewModel.t(u" · +%1 dependencies"_s, u" · +%1 alt bağımlılık"_s).arg(dependencies);
    styleLabel(*m_detail, truneFont(11, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted());
    m_detail->setText(breakdown);
    m_detail->setVisible(true);

    truneSetTextIfChanged(
        *m_upgradeButton, m_viewModel.t(u"Upgrade Packages (%1)"_s, u"Paketleri Yükselt (%1)"_s).arg(packages));
}

void HomebrewBatchUpgradeBanner::showDependencyOffer(int dependencies)
{
    m_textLayout->setDirection(QBoxLayout::LeftToRight);
    m_textLayout->setSpacing(8);
    m_symbol->setSymbol(u"shippingbox"_s);
    m_symbol->setEdge(15);
    m_symbol->setColor(TruneGlassTokens::textSecondary());

    styleLabel(*m_headline, truneFont(12, QFont::Medium), TruneGlassTokens::textSecondary());
    m_headline->setText(m_viewModel.t(
        (dependencies == 1 ? u"Your packages are up to date · %1 internal library dependency can be upgraded"_s
                           : u"Your packages are up to date · %1 internal library dependencies can be upgraded"_s)
            .arg(dependencies),
        u"Kurduğunuz paketler güncel · %1 alt bağımlılık kütüphanesi güncellenebilir"_s.arg(dependencies)));
    m_detail->setVisible(false);
    truneSetTextIfChanged(*m_dependencyButton, m_viewModel.t(u"Upgrade Dependencies"_s, u"Bağımlılıkları Yükselt"_s));
}

void HomebrewBatchUpgradeBanner::paintEvent(QPaintEvent*)
{
    QColor fill = TruneGlassTokens::surface1();
    QColor outline = truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.6);
    if (m_look == Look::progress || m_look == Look::running) {
        fill = truneWithOpacity(m_accent, 0.12);
        outline = truneWithOpacity(m_accent, 0.3);
    } else if (m_look == Look::upgradeOffer) {
        fill = truneWithOpacity(m_accent, 0.08);
        outline = truneWithOpacity(m_accent, 0.3);
    }
    QPainter painter(this);
    TruneGlassShapes::paintGlassShape(painter, QRectF(rect()), cornerRadius, fill, outline, borderWidth);
}
