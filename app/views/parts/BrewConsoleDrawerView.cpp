#include "app/views/parts/BrewConsoleDrawerView.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbolView.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int logHeight = 170;
constexpr qreal logPadding = 12;
constexpr qreal hairlineHeight = 0.5;
// A slim light handle on the dark log, without arrows or a track of its own.
constexpr const char* scrollBarStyle = R"(
    QScrollBar:vertical { background: transparent; width: 10px; margin: 4px 2px 4px 0; }
    QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.28); border-radius: 4px; min-height: 24px; }
    QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
    QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
)";
constexpr StudioFields statusFields
    = StudioField::isBrewCommandRunning | StudioField::activeBrewCommandTitle | StudioField::language;

TruneGlassButton* titleBarButton(const QString& symbol, const QString& objectName)
{
    auto* button = new TruneGlassButton(QString());
    button->setSymbol(symbol);
    button->setObjectName(objectName);
    return button;
}

// The title bar's ground, with the drawer's top hairline over its upper edge.
class ConsoleTitleBar final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), truneColor(0x000000, 0.36));
        painter.fillRect(
            QRectF(0, 0, width(), hairlineHeight), truneWithOpacity(TruneGlassTokens::borderStrong(), 0.75));
    }
};

} // namespace

BrewConsoleDrawerView::BrewConsoleDrawerView(UpdateStudioViewModel& viewModel, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    setObjectName(u"brewConsoleDrawer"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTitleBar());
    column->addWidget(buildLogView());

    connect(&viewModel, &UpdateStudioViewModel::changed, this, &BrewConsoleDrawerView::resync);
    // The drawer opens at the end of its log, as it follows the end while output comes in; the
    // log knows how far it scrolls only once it has been laid out at the drawer's size.
    connect(m_log->verticalScrollBar(), &QScrollBar::rangeChanged, this, &BrewConsoleDrawerView::scrollToEnd);
    showStatus();
    showLog();
}

QWidget* BrewConsoleDrawerView::buildTitleBar()
{
    m_titleBar = new ConsoleTitleBar;
    m_titleBar->setObjectName(u"brewConsoleTitleBar"_s);
    auto* row = new QHBoxLayout(m_titleBar);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(10);

    auto* status = new QHBoxLayout;
    status->setSpacing(6);
    m_spinner = new TruneSpinner(TruneSpinnerSize::small);
    m_spinner->setObjectName(u"brewConsoleSpinner"_s);
    QPalette spinnerPalette = m_spinner->palette();
    spinnerPalette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    m_spinner->setPalette(spinnerPalette);
    m_terminalSymbol = new TruneSymbolView(u"terminal.fill"_s, 14, accentColor(TruneProductPalette::deepEmerald));
    m_terminalSymbol->setObjectName(u"brewConsoleSymbol"_s);
    m_title = new TruneElidedLabel;
    m_title->setObjectName(u"brewConsoleTitle"_s);
    m_title->setFont(truneFont(11.5, QFont::DemiBold, TruneFontDesign::monospaced));
    QPalette titlePalette = m_title->palette();
    titlePalette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    m_title->setPalette(titlePalette);
    status->addWidget(m_spinner, 0, Qt::AlignVCenter);
    status->addWidget(m_terminalSymbol, 0, Qt::AlignVCenter);
    status->addWidget(m_title, 1);
    row->addLayout(status, 1);

    m_stopButton = titleBarButton(u"stop.fill"_s, u"brewConsoleStop"_s);
    m_copyButton = titleBarButton(u"doc.on.doc"_s, u"brewConsoleCopy"_s);
    m_clearButton = titleBarButton(u"trash"_s, u"brewConsoleClear"_s);
    m_closeButton = titleBarButton(u"xmark"_s, u"brewConsoleClose"_s);
    for (TruneGlassButton* button : {m_stopButton, m_copyButton, m_clearButton, m_closeButton})
        row->addWidget(button, 0, Qt::AlignVCenter);

    connect(m_stopButton, &QAbstractButton::clicked, this, [this] { m_viewModel.cancelBrewCommand(); });
    connect(m_copyButton, &QAbstractButton::clicked, this, &BrewConsoleDrawerView::copyLog);
    connect(m_clearButton, &QAbstractButton::clicked, this, [this] { m_viewModel.clearBrewConsole(); });
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] { m_viewModel.setShowBrewConsole(false); });
    return m_titleBar;
}

QPlainTextEdit* BrewConsoleDrawerView::buildLogView()
{
    m_log = new QPlainTextEdit;
    m_log->setObjectName(u"brewConsoleLog"_s);
    m_log->setReadOnly(true);
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_log->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_log->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_log->verticalScrollBar()->setStyleSheet(QString::fromLatin1(scrollBarStyle));
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_log->setFrameShape(QFrame::NoFrame);
    m_log->setFixedHeight(logHeight);
    m_log->setFont(truneFont(11.5, QFont::Normal, TruneFontDesign::monospaced));
    m_log->document()->setDocumentMargin(logPadding);
    m_log->setUndoRedoEnabled(false);
    m_log->setTabChangesFocus(true);

    QPalette palette = m_log->palette();
    const QColor text = truneColor(0xFFFFFF, 0.88);
    palette.setColor(QPalette::Base, truneColor(0x000000, 0.54));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, text);
    palette.setColor(QPalette::Highlight, truneWithOpacity(accentColor(TruneProductPalette::deepEmerald), 0.45));
    palette.setColor(QPalette::HighlightedText, text);
    m_log->setPalette(palette);
    return m_log;
}

void BrewConsoleDrawerView::resync(StudioFields fields)
{
    if (fields.testAnyFlags(statusFields | StudioField::brewConsoleLog))
        showStatus();
    if (fields.testFlag(StudioField::brewConsoleLog)) {
        showLog();
        scrollToEnd();
    }
}

void BrewConsoleDrawerView::showStatus()
{
    const StudioState& state = m_viewModel.state();
    const bool running = state.isBrewCommandRunning;
    const bool hasLog = !state.brewConsoleLog.isEmpty();
    m_spinner->setVisible(running);
    m_terminalSymbol->setVisible(!running);
    m_title->setText(running ? state.activeBrewCommandTitle
                             : m_viewModel.t(u"Homebrew Live Console"_s, u"Canlı Homebrew Konsolu"_s));

    m_stopButton->setVisible(running);
    m_stopButton->setText(m_viewModel.t(u"Stop"_s, u"Durdur"_s));
    m_copyButton->setEnabled(hasLog);
    m_clearButton->setEnabled(hasLog && !running);
    m_copyButton->setAccessibleName(m_viewModel.t(u"Copy"_s, u"Kopyala"_s));
    m_clearButton->setAccessibleName(m_viewModel.t(u"Clear"_s, u"Temizle"_s));
    m_closeButton->setAccessibleName(m_viewModel.t(u"Close"_s, u"Kapat"_s));

    const QString placeholder = m_viewModel.t(u"No Homebrew output yet."_s, u"Henüz Homebrew çıktısı yok."_s);
    if (m_log->placeholderText() != placeholder)
        m_log->setPlaceholderText(placeholder);
}

void BrewConsoleDrawerView::showLog()
{
    const StudioState& state = m_viewModel.state();
    if (!followLog(state.brewConsoleLog, state.brewConsoleLogStart))
        m_log->setPlainText(state.brewConsoleLog);
    m_shownLog = state.brewConsoleLog;
    m_shownStart = state.brewConsoleLogStart;
}

// Setting the whole text anew would hold up the window for as long as the log is long; a change
// at both ends costs only what changed. False when the log is not what was shown with some units
// gone from its front (all of it, and more, when brew printed more than the log keeps in a frame)
// and some added at its end.
bool BrewConsoleDrawerView::followLog(const QString& log, qint64 logStart)
{
    if (logStart < m_shownStart)
        return false;
    const qsizetype removed = qsizetype(std::min<qint64>(logStart - m_shownStart, m_shownLog.size()));
    const QStringView kept = QStringView(m_shownLog).sliced(removed);
    if (!QStringView(log).startsWith(kept))
        return false;
    const QStringView added = QStringView(log).sliced(kept.size());
    // The document makes one line break of CR LF: a pair that the cut or the join splits would
    // leave the view a line apart from the log.
    if ((removed > 0 && m_shownLog[removed - 1] == u'\r' && kept.startsWith(u'\n'))
        || (kept.endsWith(u'\r') && added.startsWith(u'\n')))
        return false;
    removeShownHead(removed);
    if (!added.isEmpty()) {
        QTextCursor end(m_log->document());
        end.movePosition(QTextCursor::End);
        end.insertText(added.toString());
    }
    return true;
}

void BrewConsoleDrawerView::removeShownHead(qsizetype units)
{
    if (units == 0)
        return;
    const QStringView head = QStringView(m_shownLog).first(units);
    QTextCursor cursor(m_log->document());
    cursor.setPosition(int(units - head.count(u"\r\n")), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void BrewConsoleDrawerView::scrollToEnd()
{
    QScrollBar* bar = m_log->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void BrewConsoleDrawerView::copyLog()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_viewModel.state().brewConsoleLog);
    m_viewModel.showToast(m_viewModel.t(u"Console log copied."_s, u"Konsol çıktısı kopyalandı."_s), false);
}
