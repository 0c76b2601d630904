#include "app/views/settings/HistoryLogCard.h"

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
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

namespace {

// The glyph takes the size of the text around it.
constexpr int statusGlyphPx = 13;

} // namespace

HistoryLogCard::StatusGlyph HistoryLogCard::statusGlyph(UpdateLogStatus status)
{
    switch (status) {
    case UpdateLogStatus::success:
        return {u"checkmark.circle.fill"_s, TruneGlassTokens::success()};
    case UpdateLogStatus::failed:
        return {u"exclamationmark.triangle.fill"_s, TruneGlassTokens::danger()};
    case UpdateLogStatus::cancelled:
        return {u"slash.circle.fill"_s, TruneGlassTokens::warning()};
    }
    return {u"slash.circle.fill"_s, TruneGlassTokens::warning()};
}

std::optional<QString> HistoryLogCard::versionTransition(const UpdateLogEntry& entry)
{
    if (!entry.fromVersion || !entry.toVersion)
        return std::nullopt;
    return *entry.fromVersion + u" → "_s + *entry.toVersion;
}

QString HistoryLogCard::timestampText(const QDateTime& timestamp, const QLocale& locale)
{
    static const QRegularExpression weekday(u"\\s*(?<!d)d{3,4}(?!d)[,.]?\\s*"_s);
    static const QRegularExpression fullMonth(u"(?<!M)MMMM(?!M)"_s);
    QString datePattern = locale.dateFormat(QLocale::LongFormat);
    datePattern.replace(weekday, u" "_s);
    datePattern.replace(fullMonth, u"MMM"_s);
    const QDateTime local = timestamp.toLocalTime();
    return locale.toString(local.date(), datePattern.trimmed()) + u' '
        + StudioPageParts::hoursAndMinutes(local.time(), locale);
}

HistoryLogCard::HistoryLogCard(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_title(label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"historyTitle"_s))
    , m_clearButton(new TruneGlassButton(QString()))
    , m_emptyText(label(truneFont(12), TruneGlassTokens::textSecondary(), u"historyEmptyText"_s, true))
    , m_list(new QWidget)
    , m_rows(new QVBoxLayout(m_list))
{
    setObjectName(u"historyLogCard"_s);
    m_clearButton->setObjectName(u"clearHistoryButton"_s);
    m_emptyText->setContentsMargins(0, 8, 0, 8);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(8);

    QVBoxLayout* column = installStudioGlassCard(*this, 16, 12);
    auto* header = new QHBoxLayout;
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_clearButton);
    column->addLayout(header);
    column->addWidget(divider(TruneGlassTokens::borderSubtle()));
    column->addWidget(m_emptyText);
    column->addWidget(m_list);

    connect(m_clearButton, &QAbstractButton::clicked, this, &HistoryLogCard::confirmClearHistory);
    sync(StudioField::language | StudioField::history);
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &HistoryLogCard::sync);
}

void HistoryLogCard::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::language)) {
        truneSetTextIfChanged(
            *m_title, m_viewModel.t(u"Update & Cleanup History"_s, u"Güncelleme ve Temizlik Geçmişi"_s));
        truneSetTextIfChanged(*m_clearButton, m_viewModel.t(u"Clear History"_s, u"Geçmişi Temizle"_s));
        truneSetTextIfChanged(*m_emptyText,
            m_viewModel.t(u"No update or uninstall operations recorded yet."_s,
                u"Henüz kayıtlı güncelleme veya kaldırma işlemi yok."_s));
    }
    if (fields.testFlag(StudioField::history))
        rebuildRows();
}

void HistoryLogCard::rebuildRows()
{
    const std::vector<UpdateLogEntry>& history = m_viewModel.state().history;
    m_clearButton->setEnabled(!history.empty());
    m_emptyText->setVisible(history.empty());
    m_list->setVisible(!history.empty());
    const auto newest = history.begin() + std::min<std::ptrdiff_t>(std::ssize(history), maximumRows);
    if (std::ranges::equal(history.begin(), newest, m_shownEntries.begin(), m_shownEntries.end()))
        return;
    m_shownEntries.assign(history.begin(), newest);
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const UpdateLogEntry& entry : m_shownEntries)
        m_rows->addWidget(makeRow(entry));
}

QWidget* HistoryLogCard::makeRow(const UpdateLogEntry& entry)
{
    auto* row = new QWidget;
    row->setObjectName(u"historyRow"_s);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 3, 0, 3);
    layout->setSpacing(10);

    const StatusGlyph glyph = statusGlyph(entry.status);
    auto* status = new StudioSymbolGlyph(glyph.symbol, glyph.color, statusGlyphPx);
    status->setObjectName(u"historyStatus"_s);
    layout->addWidget(status);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(8);
    QLabel* name = label(truneFont(12.5, QFont::DemiBold), TruneGlassTokens::textPrimary(), u"historyAppName"_s);
    name->setText(entry.appName);
    titleLine->addWidget(name);
    if (const std::optional<QString> transition = versionTransition(entry)) {
        QLabel* versions
            = label(truneFont(11, QFont::Normal, TruneFontDesign::monospaced), m_accent, u"historyVersionTransition"_s);
        versions->setText(*transition);
        titleLine->addWidget(versions);
    }
    titleLine->addStretch(1);
    texts->addLayout(titleLine);
    if (!entry.details.isEmpty()) {
        auto* details = new TruneElidedLabel(entry.details);
        details->setObjectName(u"historyDetails"_s);
        details->setFont(truneFont(11));
        syncColor(details, TruneGlassTokens::textSecondary());
        texts->addWidget(details);
    }
    layout->addLayout(texts, 1);

    QLabel* time = label(truneFont(11, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted(),
        u"historyTimestamp"_s);
    time->setText(timestampText(entry.timestamp, m_viewModel.environment().locale));
    layout->addWidget(time);
    return row;
}

void HistoryLogCard::confirmClearHistory()
{
    const qsizetype count = std::ssize(m_viewModel.state().history);
    if (count == 0)
        return;
    const auto t = [this](const QString& en, const QString& tr) { return m_viewModel.t(en, tr); };
    const QString title = t(u"Clear all update history?"_s, u"Tüm güncelleme geçmişi temizlensin mi?"_s);
    auto* box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::NoButton, this);
    box->setInformativeText(
        t(u"%1 records will be removed. This cannot be undone."_s, u"%1 kayıt silinecek. Bu işlem geri alınamaz."_s)
            .arg(count));
    box->setObjectName(u"clearHistoryConfirmation"_s);
    truneWidenMessageBox(*box);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* clear = box->addButton(t(u"Clear History"_s, u"Geçmişi Temizle"_s), QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(t(u"Cancel"_s, u"İptal"_s), QMessageBox::RejectRole);
    clear->setObjectName(u"confirmClearHistory"_s);
    cancel->setObjectName(u"cancelClearHistory"_s);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, clear](QAbstractButton* button) {
        if (button == clear)
            m_viewModel.clearHistory();
    });
    box->open();
}
