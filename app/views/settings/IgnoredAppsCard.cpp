#include "app/views/settings/IgnoredAppsCard.h"

#include "app/models/IgnoredAppsListModel.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/settings/IgnoredAppRowDelegate.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
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
    , m_list(new QListView)
    , m_model(new IgnoredAppsListModel(this))
    , m_delegate(new IgnoredAppRowDelegate(*m_list))
{
    setObjectName(u"ignoredAppsCard"_s);
    setMaximumWidth(maximumCardWidth);
    m_hint->setContentsMargins(0, 12, 0, 12);

    m_list->setObjectName(u"ignoredList"_s);
    styleStudioListView(*m_list);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setUniformItemSizes(true);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_list->installEventFilter(this);
    connect(m_delegate, &IgnoredAppRowDelegate::restoreRequested, &m_viewModel,
        &UpdateStudioViewModel::removeIgnoredBundleID);

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
    if (fields.testFlag(StudioField::language)) {
        truneSetTextIfChanged(*m_title, m_viewModel.t(u"Ignored Applications"_s, u"Yoksayılan Uygulamalar"_s));
        truneSetTextIfChanged(*m_hint,
            m_viewModel.t(
                u"No apps are currently ignored. You can ignore updates for any app from the Apps & Updates menu."_s,
                u"Şu anda yoksayılan uygulama yok. Uygulamalar ekranındaki menüden herhangi bir uygulamayı yoksayabilirsiniz."_s));
        m_delegate->setRestoreText(m_viewModel.t(u"Restore"_s, u"Geri Al"_s));
        m_list->viewport()->update();
    }
    if (fields.testAnyFlags(StudioField::language | StudioField::config))
        syncRows();
}

void IgnoredAppsCard::syncRows()
{
    const QStringList& ids = m_viewModel.state().config.ignoredBundleIDs;
    if (ids != m_shownIDs) {
        m_shownIDs = ids;
        m_model->replaceRows(IgnoredAppsListModel::rowsFor(m_shownIDs));
    }
    truneSetTextIfChanged(*m_count, QString::number(m_shownIDs.size()));
    m_hint->setVisible(m_shownIDs.isEmpty());
    m_list->setVisible(!m_shownIDs.isEmpty());
    // As tall as its rows (the button's text sets their height), up to the limit.
    const auto rows = static_cast<int>(std::min<qsizetype>(m_shownIDs.size(), maximumVisibleRows));
    m_list->setFixedHeight(rows * (m_delegate->rowHeight() + IgnoredAppRowDelegate::rowGap));
}

bool IgnoredAppsCard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            restoreCurrentRow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IgnoredAppsCard::restoreCurrentRow()
{
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid())
        m_viewModel.removeIgnoredBundleID(current.data().toString());
}
