#include "app/views/hub/QuorvaneSuiteHubView.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/hub/SuiteHubAppCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/settings/PermissionsAuditSection.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

QuorvaneSuiteHubView::QuorvaneSuiteHubView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"quorvaneSuiteHubView"_s);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(18);
    layout->addWidget(makeSuiteHeaderCard());
    layout->addWidget(makeInstalledAppsSection());
    layout->addWidget(new PermissionsAuditSection(viewModel));
    layout->addStretch(1);
    installScrollingPage(this, column, u"suiteHubScroll"_s);

    syncTexts();
    rebuildCards();
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &QuorvaneSuiteHubView::sync);
}

QWidget* QuorvaneSuiteHubView::makeSuiteHeaderCard()
{
    m_title
        = label(truneFont(TruneTextStyle::title3, QFont::Bold), TruneGlassTokens::textPrimary(), u"hubTitle"_s, true);
    m_subtitle = label(truneFont(TruneTextStyle::callout), TruneGlassTokens::textSecondary(), u"hubSubtitle"_s, true);
    m_count = label(truneFont(24, QFont::Bold, TruneFontDesign::rounded), m_accent, u"hubAppCount"_s);
    m_countCaption = label(truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"hubCountCaption"_s);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_countCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    row->addWidget(new TruneBrandMark(38, TruneBrandMarkStyle::quorvaneSuite()));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    row->addLayout(texts, 1);
    auto* count = new QVBoxLayout;
    count->setSpacing(2);
    count->addWidget(m_count);
    count->addWidget(m_countCaption);
    row->addLayout(count);

    auto* card = new TruneGlassCard(18, 14);
    card->setObjectName(u"hubHeaderCard"_s);
    card->setContent(content);
    return card;
}

QWidget* QuorvaneSuiteHubView::makeInstalledAppsSection()
{
    m_sectionHeading = label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"hubAppsHeading"_s);

    auto* emptyContent = new QWidget;
    auto* emptyRow = new QHBoxLayout(emptyContent);
    emptyRow->setContentsMargins(0, 0, 0, 0);
    emptyRow->setSpacing(12);
    const int sparklesPx = QFontMetrics(truneFont(TruneTextStyle::title2)).height();
    emptyRow->addWidget(new StudioSymbolGlyph(u"sparkles"_s, m_accent, sparklesPx));
    m_emptyText = label(truneFont(TruneTextStyle::body), TruneGlassTokens::textSecondary(), u"hubEmptyText"_s, true);
    emptyRow->addWidget(m_emptyText, 1);
    m_emptyCard = new TruneGlassCard(20, 14);
    m_emptyCard->setObjectName(u"hubEmptyCard"_s);
    m_emptyCard->setContent(emptyContent);

    m_grid = new QWidget;
    m_grid->setObjectName(u"hubAppGrid"_s);
    m_gridLayout = new TruneAdaptiveGridLayout(gridColumns, m_grid);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);

    auto* section = new QWidget;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(m_sectionHeading);
    column->addWidget(m_emptyCard);
    column->addWidget(m_grid);
    return section;
}

void QuorvaneSuiteHubView::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::language))
        syncTexts();
    // The cards carry texts of the language too.
    if (fields.testAnyFlags(StudioField::installedApps | StudioField::language))
        rebuildCards();
}

void QuorvaneSuiteHubView::syncTexts()
{
    const auto t = [this](const QString& en, const QString& tr) { return m_viewModel.t(en, tr); };
    truneSetTextIfChanged(*m_title, t(u"Quorvane Suite Hub"_s, u"Quorvane Paket Merkezi"_s));
    truneSetTextIfChanged(*m_subtitle,
        t(u"Manage every installed Quorvane native Swift app on this Mac and audit macOS privacy permissions in one place."_s,
            u"Bu Mac'te kurulu tüm yerel Quorvane Swift uygulamalarını yönetin ve macOS gizlilik izinlerini tek yerden denetleyin."_s));
    truneSetTextIfChanged(*m_countCaption, t(u"Installed Apps"_s, u"Kurulu Uygulama"_s));
    truneSetTextIfChanged(
        *m_sectionHeading, t(u"Installed Quorvane Applications"_s, u"Kurulu Quorvane Uygulamaları"_s));
    truneSetTextIfChanged(*m_emptyText,
        t(u"No Quorvane apps (com.quorvane.*) detected in /Applications or ~/Applications yet."_s,
            u"/Applications veya ~/Applications içinde henüz Quorvane (com.quorvane.*) uygulaması bulunamadı."_s));
}

void QuorvaneSuiteHubView::rebuildCards()
{
    const StudioState& state = m_viewModel.state();
    std::vector<InstalledAppRecord> apps = StudioDerived::quorvaneApps(state.installedApps);
    if (m_cardsLanguage == state.language && apps == m_shownApps)
        return;
    m_cardsLanguage = state.language;
    m_shownApps = std::move(apps);
    while (QLayoutItem* item = m_gridLayout->takeAt(0)) {
        // A card may be the sender of the click that changed the list.
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (const InstalledAppRecord& app : m_shownApps)
        m_gridLayout->addWidget(new SuiteHubAppCard(m_viewModel, app, m_accent));
    truneSetTextIfChanged(*m_count, QString::number(m_shownApps.size()));
    m_emptyCard->setVisible(m_shownApps.empty());
    m_grid->setVisible(!m_shownApps.empty());
}
