#include "app/views/hub/SuiteHubAppCard.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/ArchitectureBadge.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

namespace {

constexpr QLatin1StringView ownBundleID("com.quorvane.truneupdate");

TruneGlassButton* symbolButton(const QString& symbol, const QString& toolTip, const QString& objectName)
{
    auto* button = new TruneGlassButton(QString());
    button->setSymbol(symbol);
    button->setObjectName(objectName);
    syncToolTip(button, toolTip);
    return button;
}

} // namespace

std::optional<QString> SuiteHubAppCard::buildText(const InstalledAppRecord& app)
{
    if (app.buildVersion.isEmpty() || app.buildVersion == app.displayVersion())
        return std::nullopt;
    return u'(' + app.buildVersion + u')';
}

bool SuiteHubAppCard::offersLeftoverInspection(const QString& bundleID)
{
    return bundleID.toLower() != ownBundleID;
}

SuiteHubAppCard::SuiteHubAppCard(
    UpdateStudioViewModel& viewModel, const InstalledAppRecord& app, const QColor& accent, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"suiteHubAppCard"_s);
    const auto t = [&viewModel](const QString& en, const QString& tr) { return viewModel.t(en, tr); };

    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(10);
    titleLine->addWidget(new AppIconThumbnail(app.path, 42));
    auto* naming = new QVBoxLayout;
    naming->setSpacing(2);
    QLabel* name = label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"appName"_s, true);
    name->setText(app.name);
    naming->addWidget(name);
    auto* versions = new QHBoxLayout;
    versions->setSpacing(6);
    QLabel* version = label(truneFont(11.5, QFont::DemiBold, TruneFontDesign::monospaced), accent, u"appVersion"_s);
    version->setText(u"v"_s + app.displayVersion());
    versions->addWidget(version);
    if (const std::optional<QString> build = buildText(app)) {
        QLabel* buildLabel = label(
            truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted(), u"appBuild"_s);
        buildLabel->setText(*build);
        versions->addWidget(buildLabel);
    }
    versions->addStretch(1);
    naming->addLayout(versions);
    titleLine->addLayout(naming, 1);
    titleLine->addWidget(new ArchitectureBadge(app.architecture), 0, Qt::AlignVCenter);

    auto* bundleID = new TruneElidedLabel(app.bundleID);
    bundleID->setObjectName(u"appBundleID"_s);
    bundleID->setFont(truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced));
    syncColor(bundleID, TruneGlassTokens::textMuted());

    auto* actions = new QHBoxLayout;
    QLabel* size = label(
        truneFont(11, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textSecondary(), u"appSize"_s);
    size->setText(TruneByteFormatter::format(app.sizeBytes));
    actions->addWidget(size);
    actions->addStretch(1);
    auto* launch = new TrunePrimaryButton(t(u"Launch"_s, u"Aç"_s));
    launch->setObjectName(u"launchButton"_s);
    connect(launch, &QAbstractButton::clicked, this, [&viewModel, app] { viewModel.launchApp(app); });
    actions->addWidget(launch);
    const StudioPlatformTexts::Text revealText = StudioPlatformTexts::revealInFileManager();
    TruneGlassButton* reveal = symbolButton(u"folder"_s, t(revealText.english, revealText.turkish), u"revealButton"_s);
    connect(reveal, &QAbstractButton::clicked, this, [&viewModel, path = app.path] { viewModel.revealInFinder(path); });
    actions->addWidget(reveal);
    if (offersLeftoverInspection(app.bundleID)) {
        TruneGlassButton* inspect = symbolButton(
            u"trash.slash"_s, t(u"Inspect Leftovers"_s, u"Artıkları İncele"_s), u"inspectLeftoversButton"_s);
        connect(inspect, &QAbstractButton::clicked, this,
            [&viewModel, app] { viewModel.inspectAppForUninstall(app, true); });
        actions->addWidget(inspect);
    }

    QVBoxLayout* column = installStudioGlassCard(*this, 14, 10);
    column->addLayout(titleLine);
    column->addWidget(bundleID);
    // Cards of one grid row are as tall as the tallest: the actions keep to the bottom edge.
    column->addStretch(1);
    column->addLayout(actions);
}
