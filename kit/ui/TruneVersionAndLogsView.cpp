#include "kit/ui/TruneVersionAndLogsView.h"

#include "kit/foundation/TruneAppIdentity.h"
#include "kit/foundation/TruneReleaseLogReader.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneFeedbackButton.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSymbols.h"
#include "kit/ui/TruneVersionBadge.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The small second caption style of the sheet's chips, stamps and details.
constexpr qreal caption2Px = 10;

QFont monospaced(qreal px, QFont::Weight weight = QFont::Normal)
{
    return truneFont(px, weight, TruneFontDesign::monospaced);
}

// A title and a group of controls on one row, the controls at the trailing end; when the row is
// too narrow for both, the controls move below the title instead of being cut off.
class WrappingRow final : public QWidget {
public:
    WrappingRow(QWidget* leading, QWidget* trailing, int spacing)
        : m_leading(leading)
        , m_trailing(trailing)
        , m_layout(new QBoxLayout(QBoxLayout::LeftToRight, this))
    {
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(spacing);
        m_layout->addWidget(leading);
        m_layout->addStretch(1);
        m_layout->addWidget(trailing);
    }

    QSize minimumSizeHint() const override
    {
        return {std::max(m_leading->minimumSizeHint().width(), m_trailing->sizeHint().width()),
            QWidget::minimumSizeHint().height()};
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        const int needed = m_leading->sizeHint().width() + m_layout->spacing() + m_trailing->sizeHint().width();
        const auto direction = width() >= needed ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
        if (direction == m_layout->direction())
            return;
        m_layout->setDirection(direction);
        m_layout->setAlignment(m_trailing, direction == QBoxLayout::TopToBottom ? Qt::AlignLeft : Qt::Alignment());
    }

private:
    QWidget* m_leading;
    QWidget* m_trailing;
    QBoxLayout* m_layout;
};

QColor levelColor(TruneLogLevel level)
{
    switch (level) {
    case TruneLogLevel::debug:
        return TruneGlassTokens::textMuted();
    case TruneLogLevel::info:
        return TruneGlassTokens::success();
    case TruneLogLevel::warn:
        return TruneGlassTokens::warning();
    case TruneLogLevel::error:
        return TruneGlassTokens::danger();
    }
    return TruneGlassTokens::textMuted();
}

void clearLayout(QLayout& layout)
{
    while (QLayoutItem* item = layout.takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

} // namespace

TruneVersionAndLogsView::TruneVersionAndLogsView(TruneVersionAndLogsOptions options, QWidget* parent)
    : QDialog(parent)
    , m_options(std::move(options))
{
    m_worker.setMaxThreadCount(1);
    m_worker.setObjectName(u"TruneVersionAndLogsView"_s);
    setObjectName(u"versionAndLogsSheet"_s);
    setWindowModality(Qt::WindowModal);
    // Without a ground of its own the sheet still needs a dark page for its white texts.
    QPalette page = palette();
    page.setColor(QPalette::Window, groundStops(m_options.palette).bottomRight);
    setPalette(page);
    setAutoFillBackground(true);
    setWindowTitle(m_options.appName + u" · "_s + text(u"Version & Logs"_s, u"Sürüm & Loglar"_s));
    buildLayout();
    if (m_options.onClose)
        connect(this, &QDialog::finished, this, [this] { m_options.onClose(); });
}

TruneVersionAndLogsView::~TruneVersionAndLogsView()
{
    m_worker.waitForDone();
}

QString TruneVersionAndLogsView::text(const QString& en, const QString& tr) const
{
    return truneText(en, tr, m_options.language);
}

QString TruneVersionAndLogsView::timeColumnText(const QString& timestamp)
{
    const qsizetype t = timestamp.indexOf(u'T');
    if (t < 0)
        return timestamp.left(8);
    return timestamp.mid(t + 1, 8);
}

void TruneVersionAndLogsView::waitForWork()
{
    m_worker.waitForDone();
    // The results, then the layout and the showing of the rows they made.
    QCoreApplication::sendPostedEvents(this);
    QCoreApplication::processEvents();
}

void TruneVersionAndLogsView::buildLayout()
{
    auto* column = new QWidget;
    column->setObjectName(u"sheetColumn"_s);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(18, 18, 18, 18);
    columnLayout->setSpacing(16);
    if (m_options.onClose)
        columnLayout->addWidget(headerRow());
    columnLayout->addWidget(versionSummaryCard());
    columnLayout->addWidget(releaseHistoryCard());
    columnLayout->addWidget(runtimeLogsCard());
    columnLayout->addStretch(1);

    TruneGroundBackground* ground = nullptr;
    if (m_options.onClose) {
        ground = new TruneGroundBackground(m_options.palette);
        ground->setObjectName(u"sheetGround"_s);
    }
    truneInstallScrollingPage(this, column, u"sheetScroll"_s, ground);
}

QWidget* TruneVersionAndLogsView::headerRow()
{
    auto* row = new QWidget;
    row->setObjectName(u"sheetHeader"_s);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    const std::optional<TruneAppIdentity> identity = TruneAppIdentityCatalog::resolve(m_options.appName);
    auto* mark = new TruneBrandMark(
        24, identity ? TruneBrandMarkStyle::app(*identity) : TruneBrandMarkStyle::currentApp(), *m_options.bundle);
    mark->setObjectName(u"sheetBrandMark"_s);
    layout->addWidget(mark);
    layout->addWidget(truneSheetLabel(m_options.appName + u" · "_s + text(u"Version & Logs"_s, u"Sürüm & Loglar"_s),
        truneFont(16, QFont::Bold), Qt::white, u"sheetTitle"_s));
    layout->addStretch(1);

    auto* close = new QToolButton;
    close->setObjectName(u"sheetClose"_s);
    close->setAutoRaise(true);
    close->setIcon(TruneSymbols::icon(u"xmark.circle.fill"_s, TruneGlassTokens::textSecondary()));
    close->setIconSize(QSize(18, 18));
    close->setStyleSheet(u"QToolButton { border: none; background: transparent; }"_s);
    const QString closeText = text(u"Close"_s, u"Kapat"_s);
    close->setToolTip(closeText);
    close->setAccessibleName(closeText);
    connect(close, &QToolButton::clicked, this, &QDialog::reject);
    layout->addWidget(close);
    return row;
}

QWidget* TruneVersionAndLogsView::infoChip(const QString& title, const QString& value)
{
    auto* chip = new TruneRoundedPanel(6, TruneGlassTokens::surface2());
    auto* layout = new QHBoxLayout(chip);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);
    layout->addWidget(truneSheetLabel(title + u':', truneFont(caption2Px), TruneGlassTokens::textMuted()));
    layout->addWidget(truneSheetLabel(value, monospaced(caption2Px, QFont::Bold), TruneGlassTokens::textPrimary()));
    chip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return chip;
}

QWidget* TruneVersionAndLogsView::versionSummaryCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(10);
    titleRow->addWidget(truneSymbolLabel(u"tag.fill"_s, text(u"Version & Release Info"_s, u"Sürüm Bilgileri"_s),
        truneFont(TruneTextStyle::headline), accentColor(m_options.palette), u"versionCardTitle"_s));
    titleRow->addStretch(1);
    titleRow->addWidget(new TruneVersionBadge(m_options.version, true));
    layout->addLayout(titleRow);

    QLabel* description
        = truneSheetLabel(text(u"Application version details, full release changelog from initial release "
                               u"to latest, and runtime logs."_s,
                              u"Uygulama sürüm bilgileri, ilk sürümden son sürüme kadar tüm değişiklik "
                              u"geçmişi ve çalışma logları."_s),
            truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"versionCardDescription"_s);
    description->setWordWrap(true);
    layout->addWidget(description);

    auto* chips = new QHBoxLayout;
    chips->setSpacing(12);
    chips->addWidget(infoChip(text(u"Version"_s, u"Sürüm"_s), u"v"_s + m_options.version.shortVersion));
    chips->addWidget(infoChip(u"Build"_s, u"#"_s + m_options.version.buildNumber));
    chips->addStretch(1);
    chips->addWidget(new TruneFeedbackButton({.appName = m_options.appName,
                                                 .version = m_options.version,
                                                 .kind = TruneFeedbackKind::feature,
                                                 .language = m_options.language,
                                                 .baseURL = std::nullopt},
        TruneFeedbackButtonStyle::labeledPill));
    const QString logFile = m_options.logger ? QFileInfo(m_options.logger->currentLogFileURL()).fileName() : QString();
    chips->addWidget(truneSheetLabel(logFile, monospaced(caption2Px), TruneGlassTokens::textMuted(), u"logFileName"_s));
    layout->addLayout(chips);

    auto* card = new TruneGlassCard(16, 14);
    card->setObjectName(u"versionCard"_s);
    card->setContent(content);
    return card;
}

QWidget* TruneVersionAndLogsView::releaseHistoryCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(truneSymbolLabel(u"clock.arrow.circlepath"_s,
        text(u"Release History (CHANGELOG)"_s, u"Sürüm Geçmişi (Değişiklik Logu)"_s),
        truneFont(TruneTextStyle::headline), TruneGlassTokens::textPrimary(), u"releaseCardTitle"_s));
    m_releaseList = new QVBoxLayout;
    m_releaseList->setSpacing(12);
    layout->addLayout(m_releaseList);
    showReleases();

    auto* card = new TruneGlassCard(16, 14);
    card->setObjectName(u"releaseCard"_s);
    card->setContent(content);
    return card;
}

QWidget* TruneVersionAndLogsView::levelFilter()
{
    struct Option {
        TruneLogLevel level;
        QString title;
        const char* name;
    };
    const std::vector<Option> options{
        {TruneLogLevel::debug, text(u"All"_s, u"Tümü"_s), "levelAll"},
        {TruneLogLevel::info, u"INFO+"_s, "levelInfo"},
        {TruneLogLevel::warn, u"WARN+"_s, "levelWarn"},
        {TruneLogLevel::error, u"ERROR"_s, "levelError"},
    };
    auto* filter = new QWidget;
    filter->setObjectName(u"levelFilter"_s);
    filter->setFixedWidth(230);
    auto* layout = new QHBoxLayout(filter);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (const Option& option : options) {
        auto* button = new TruneGlassButton(option.title, option.level == m_selectedMinLevel);
        button->setObjectName(QString::fromLatin1(option.name));
        button->setFont(truneFont(TruneTextStyle::caption, QFont::Medium));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QAbstractButton::clicked, this, [this, level = option.level] { selectMinLevel(level); });
        m_levelButtons[option.level] = button;
        layout->addWidget(button);
    }
    return filter;
}

QWidget* TruneVersionAndLogsView::runtimeLogsCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* controls = new QWidget;
    controls->setObjectName(u"logControls"_s);
    auto* toolbar = new QHBoxLayout(controls);
    toolbar->setContentsMargins(0, 0, 0, 0);
    toolbar->setSpacing(8);
    toolbar->addWidget(levelFilter());

    auto addAction = [&](const QString& title, const QString& symbol, const QString& objectName, auto action) {
        auto* button = new TruneGlassButton(title);
        button->setObjectName(objectName);
        button->setSymbol(symbol);
        button->setFont(truneFont(TruneTextStyle::caption));
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(button, &QAbstractButton::clicked, this, action);
        toolbar->addWidget(button);
        return button;
    };
    TruneGlassButton* refresh
        = addAction(QString(), u"arrow.clockwise"_s, u"refreshLogs"_s, [this] { reloadEntries(); });
    const QString refreshHelp = text(u"Refresh logs"_s, u"Logları yenile"_s);
    refresh->setToolTip(refreshHelp);
    refresh->setAccessibleName(refreshHelp);
    m_copyButton = addAction(text(u"Copy"_s, u"Kopyala"_s), u"doc.on.doc"_s, u"copyLogs"_s, [this] { copyLog(); });
    addAction(text(u"Folder"_s, u"Klasör"_s), u"folder"_s, u"revealLogs"_s, [this] { revealLogFolder(); });
    addAction(text(u"Clear"_s, u"Temizle"_s), u"trash"_s, u"clearLogs"_s, [this] { clearLog(); });
    controls->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    QWidget* title = truneSymbolLabel(u"doc.text.magnifyingglass"_s,
        text(u"Rotating Runtime Logs"_s, u"Uygulama Çalışma Logları"_s), truneFont(TruneTextStyle::headline),
        TruneGlassTokens::textPrimary(), u"logCardTitle"_s);
    title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(new WrappingRow(title, controls, 8));

    m_logList = new QVBoxLayout;
    m_logList->setSpacing(4);
    layout->addLayout(m_logList);
    showEntries();

    auto* card = new TruneGlassCard(16, 14);
    card->setObjectName(u"logCard"_s);
    card->setContent(content);
    return card;
}

void TruneVersionAndLogsView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    reloadAll();
}

template <typename Result>
void TruneVersionAndLogsView::runInBackground(
    int& generation, std::function<Result()> work, std::function<void(Result)> apply)
{
    const int started = ++generation;
    QPointer<TruneVersionAndLogsView> self(this);
    m_worker.start([this, self, started, &generation, work = std::move(work), apply = std::move(apply)] {
        Result result = work();
        QMetaObject::invokeMethod(
            this,
            [self, started, &generation, apply, result = std::move(result)]() mutable {
                if (self && started == generation)
                    apply(std::move(result));
            },
            Qt::QueuedConnection);
    });
}

void TruneVersionAndLogsView::reloadAll()
{
    const QString appName = m_options.appName;
    const TruneBundle* bundle = m_options.bundle;
    runInBackground<std::vector<TruneReleaseLogRecord>>(
        m_releasesGeneration, [appName, bundle] { return TruneReleaseLogReader::loadBundled(appName, *bundle); },
        [this](std::vector<TruneReleaseLogRecord> bundled) {
            // The bundle's records and the fallback are never mixed.
            m_releases = bundled.empty() ? m_options.fallbackReleases : std::move(bundled);
            showReleases();
        });
    reloadEntries();
}

void TruneVersionAndLogsView::reloadEntries()
{
    TruneAppLogger* logger = m_options.logger;
    if (!logger)
        return;
    const TruneLogLevel level = m_selectedMinLevel;
    runInBackground<std::vector<TruneLogEntry>>(
        m_entriesGeneration, [logger, level] { return logger->recentEntries(listLimit, level); },
        [this](std::vector<TruneLogEntry> entries) {
            m_entries = std::move(entries);
            showEntries();
        });
}

void TruneVersionAndLogsView::selectMinLevel(TruneLogLevel level)
{
    m_selectedMinLevel = level;
    for (const auto& [buttonLevel, button] : m_levelButtons)
        button->setActive(buttonLevel == level);
    reloadEntries();
}

void TruneVersionAndLogsView::copyLog()
{
    TruneAppLogger* logger = m_options.logger;
    const TruneLogLevel level = m_selectedMinLevel;
    runInBackground<QString>(
        m_exportGeneration,
        [logger, level] { return logger ? logger->exportPlainText(exportLimit, level) : QString(); },
        [this](QString exported) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            clipboard->clear();
            clipboard->setText(exported);
            m_copiedToast = true;
            m_copyButton->setText(text(u"Copied"_s, u"Kopyalandı"_s));
        });
}

void TruneVersionAndLogsView::revealLogFolder()
{
    if (TruneAppLogger* logger = m_options.logger)
        m_worker.start([logger] { logger->revealInFinder(); });
}

void TruneVersionAndLogsView::clearLog()
{
    if (TruneAppLogger* logger = m_options.logger)
        m_worker.start([logger] { logger->clear(); });
    reloadEntries();
}

void TruneVersionAndLogsView::showReleases()
{
    clearLayout(*m_releaseList);
    if (m_releases.empty()) {
        QLabel* empty = truneSheetLabel(text(u"No release log records found for this build."_s,
                                            u"Bu derleme için sürüm geçmişi kaydı bulunamadı."_s),
            truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"releasesEmpty"_s);
        empty->setWordWrap(true);
        m_releaseList->addWidget(empty);
    }
    const QColor accent = accentColor(m_options.palette);
    for (const TruneReleaseLogRecord& record : m_releases) {
        auto* block = new TruneRoundedPanel(10, TruneGlassTokens::surface1());
        block->setObjectName(u"releaseBlock"_s);
        auto* layout = new QVBoxLayout(block);
        layout->setContentsMargins(10, 10, 10, 10);
        layout->setSpacing(5);

        auto* header = new QHBoxLayout;
        header->setSpacing(8);
        header->addWidget(
            truneSheetLabel(u"v"_s + record.toVersion, monospaced(11, QFont::Bold), accent, u"releaseVersion"_s));
        header->addWidget(truneSheetLabel(
            u"Build "_s + truneDecimal(record.toBuild) + u" · "_s + record.bumpKind + u'/' + record.section,
            monospaced(caption2Px), TruneGlassTokens::textSecondary(), u"releaseBuild"_s));
        header->addStretch(1);
        header->addWidget(truneSheetLabel(
            record.shortDate(), monospaced(caption2Px), TruneGlassTokens::textMuted(), u"releaseDate"_s));
        layout->addLayout(header);

        if (const QString summary = record.localizedSummary(m_options.language); !summary.isEmpty()) {
            QLabel* label = truneSheetLabel(summary, truneFont(TruneTextStyle::caption, QFont::Medium),
                TruneGlassTokens::textPrimary(), u"releaseSummary"_s);
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        for (const QString& line : record.localizedDetails(m_options.language)) {
            QLabel* label = truneSheetLabel(
                u"• "_s + line, truneFont(caption2Px), TruneGlassTokens::textSecondary(), u"releaseDetail"_s);
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        m_releaseList->addWidget(block);
    }
}

void TruneVersionAndLogsView::showEntries()
{
    clearLayout(*m_logList);
    if (m_entries.empty()) {
        QLabel* empty = truneSheetLabel(
            text(u"No runtime log entries match the filter yet."_s, u"Filtreye uyan çalışma logu henüz yok."_s),
            truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"logsEmpty"_s);
        empty->setContentsMargins(0, 8, 0, 8);
        m_logList->addWidget(empty);
    }
    const QColor category = truneWithOpacity(accentColor(m_options.palette), 0.9);
    for (const TruneLogEntry& entry : m_entries) {
        auto* row = new TruneRoundedPanel(6, truneWithOpacity(TruneGlassTokens::surface1(), 0.65));
        row->setObjectName(u"logRow"_s);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(6, 3, 6, 3);
        layout->setSpacing(8);
        auto addColumn = [&](QLabel* label, int width) {
            if (width > 0)
                label->setFixedWidth(width);
            layout->addWidget(label, width > 0 ? 0 : 1, Qt::AlignTop);
            return label;
        };
        addColumn(truneSheetLabel(
                      timeColumnText(entry.timestamp), monospaced(10), TruneGlassTokens::textMuted(), u"logTime"_s),
            66);
        addColumn(
            truneSheetLabel(label(entry.level), monospaced(9.5, QFont::Bold), levelColor(entry.level), u"logLevel"_s),
            42);
        addColumn(truneSheetLabel(u"["_s + entry.category + u']', monospaced(10), category, u"logCategory"_s), 82);
        QLabel* message = addColumn(
            truneSheetLabel(entry.message, truneFont(11), TruneGlassTokens::textPrimary(), u"logMessage"_s), 0);
        message->setWordWrap(true);
        message->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_logList->addWidget(row);
    }
}
