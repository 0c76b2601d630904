#include "app/views/settings/IgnoredAppsCard.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

IgnoredAppsCard::IgnoredAppsCard(UpdateStudioViewModel& viewModel, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_title(label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"ignoredTitle"_s))
    , m_count(label(truneFont(11, QFont::DemiBold, TruneFontDesign::monospaced), TruneGlassTokens::textSecondary(),
          u"ignoredCount"_s))
    , m_hint(label(truneFont(12), TruneGlassTokens::textSecondary(), u"ignoredHint"_s, true))
    , m_list(new QWidget)
    , m_rows(new QVBoxLayout(m_list))
{
    setObjectName(u"ignoredAppsCard"_s);
    setMaximumWidth(maximumCardWidth);
    m_hint->setContentsMargins(0, 12, 0, 12);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(6);

    QVBoxLayout* column = installStudioGlassCard(*this, 16, 12);
    auto* header = new QHBoxLayout;
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_count);
    column->addLayout(header);
    column->addWidget(m_hint);
    column->addWidget(m_list);
    column->addStretch(1);

    sync(StudioField::language | StudioField::config);
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &IgnoredAppsCard::sync);
}

void IgnoredAppsCard::sync(StudioFields fields)
{
    const StudioState& state = m_viewModel.state();
    if (fields.testFlag(StudioField::language)) {
        truneSetTextIfChanged(*m_title, m_viewModel.t(u"Ignored Applications"_s, u"Yoksayılan Uygulamalar"_s));
        truneSetTextIfChanged(*m_hint,
            m_viewModel.t(
                u"No apps are currently ignored. You can ignore updates for any app from the Apps & Updates menu."_s,
                u"Şu anda yoksayılan uygulama yok. Uygulamalar ekranındaki menüden herhangi bir uygulamayı yoksayabilirsiniz."_s));
    }
    if (fields.testFlag(StudioField::language) || state.config.ignoredBundleIDs != m_shownIDs)
        rebuildRows();
}

void IgnoredAppsCard::rebuildRows()
{
    m_shownIDs = m_viewModel.state().config.ignoredBundleIDs;
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        // A row may be the sender of the click that removed it.
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    for (const QString& bundleID : m_shownIDs)
        m_rows->addWidget(makeRow(bundleID));
    truneSetTextIfChanged(*m_count, QString::number(m_shownIDs.size()));
    m_hint->setVisible(m_shownIDs.isEmpty());
    m_list->setVisible(!m_shownIDs.isEmpty());
}

QWidget* IgnoredAppsCard::makeRow(const QString& bundleID)
{
    auto* row = new QWidget;
    row->setObjectName(u"ignoredRow"_s);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 4, 0, 4);
    // A long identifier keeps both ends readable; the whole of it is the tooltip.
    auto* identifier = new TruneElidedLabel(bundleID, Qt::ElideMiddle);
    identifier->setObjectName(u"ignoredBundleID"_s);
    identifier->setFont(truneFont(12, QFont::Normal, TruneFontDesign::monospaced));
    syncColor(identifier, TruneGlassTokens::textPrimary());
    auto* restore = new TruneGlassButton(m_viewModel.t(u"Restore"_s, u"Geri Al"_s));
    restore->setObjectName(u"restoreButton"_s);
    connect(
        restore, &QAbstractButton::clicked, this, [this, bundleID] { m_viewModel.removeIgnoredBundleID(bundleID); });
    layout->addWidget(identifier, 1);
    layout->addWidget(restore);
    return row;
}
