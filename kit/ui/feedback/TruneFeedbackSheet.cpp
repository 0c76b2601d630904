#include "kit/ui/feedback/TruneFeedbackSheet.h"

#include "kit/foundation/TruneAppIdentity.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassInputField.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneLanguageLayout.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal caption2Px = 10;
constexpr int tileWidth = 124;

QLabel* fieldLabel(const QString& text)
{
    return truneSheetLabel(
        text, truneFont(TruneTextStyle::caption, QFont::DemiBold), TruneGlassTokens::textSecondary());
}

// A field under its label.
QWidget* labelledField(const QString& label, QWidget* field)
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(fieldLabel(label));
    layout->addWidget(field);
    return column;
}

QLineEdit* textField(const QString& placeholder, const QString& objectName)
{
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setPlaceholderText(placeholder);
    truneGlassInputField(*field, 6, 8, 5);
    return field;
}

QToolButton* symbolButton(const QString& symbol, int px, const QColor& color, const QString& name)
{
    auto* button = new QToolButton;
    button->setAutoRaise(true);
    button->setIcon(TruneSymbols::icon(symbol, color));
    button->setIconSize(QSize(px, px));
    button->setStyleSheet(u"QToolButton { border: none; background: transparent; }"_s);
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

TruneGlassButton* glassButton(const QString& text, const QString& symbol, const QString& objectName)
{
    auto* button = new TruneGlassButton(text, false);
    button->setObjectName(objectName);
    button->setSymbol(symbol);
    button->setFont(truneFont(TruneTextStyle::caption));
    return button;
}

// A chip that selects one kind of feedback: its symbol and title on a rounded surface, brighter
// and outlined in the accent colour while selected.
class KindChip final : public QAbstractButton {
public:
    KindChip(TruneFeedbackKind kind, TruneLanguage language, QColor accent)
        : m_kind(kind)
        , m_accent(std::move(accent))
    {
        setText(titleOf(kind, language));
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFont(truneFont(TruneTextStyle::caption, QFont::Medium));
        setAccessibleName(text());
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(boldFont());
        return {20 + symbolPx + 8 + metrics.horizontalAdvance(text()), 16 + std::max(symbolPx, metrics.height())};
    }
    QSize minimumSizeHint() const override { return {20 + symbolPx, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool selected = isChecked();
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.fillPath(TruneGlassShapes::roundedRect(frame, 10),
            selected ? TruneGlassTokens::surface3() : TruneGlassTokens::surface1());
        painter.setPen(QPen(selected ? truneWithOpacity(m_accent, 0.85) : TruneGlassTokens::borderSubtle(), 1));
        painter.drawPath(TruneGlassShapes::roundedRect(frame, 10));
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, QRectF(rect()), 10, truneWithOpacity(m_accent, 0.9));

        const bool leftToRight = layoutDirection() == Qt::LeftToRight;
        const QRectF inner = QRectF(rect()).adjusted(10, 8, -10, -8);
        const qreal symbolLeft = leftToRight ? inner.left() : inner.right() - symbolPx;
        TruneSymbols::paint(painter, QRectF(symbolLeft, inner.center().y() - symbolPx / 2.0, symbolPx, symbolPx),
            symbolOf(m_kind), selected ? m_accent : TruneGlassTokens::textSecondary());
        const QRectF textRect
            = leftToRight ? inner.adjusted(symbolPx + 8, 0, 0, 0) : inner.adjusted(0, 0, -symbolPx - 8, 0);
        painter.setFont(selected ? boldFont() : font());
        painter.setPen(Qt::white);
        const QString shown = painter.fontMetrics().elidedText(text(), Qt::ElideRight, int(textRect.width()));
        painter.drawText(textRect, Qt::AlignVCenter | (leftToRight ? Qt::AlignLeft : Qt::AlignRight), shown);
    }

private:
    static constexpr int symbolPx = 13;

    static QString titleOf(TruneFeedbackKind kind, TruneLanguage language) { return title(kind, language); }
    static QString symbolOf(TruneFeedbackKind kind) { return symbolName(kind); }
    QFont boldFont() const { return truneFont(TruneTextStyle::caption, QFont::DemiBold); }

    TruneFeedbackKind m_kind;
    QColor m_accent;
};

// The filled button of a main action in the accent colour; it can show a small spinner before its
// text while its action runs.
class ProminentButton final : public QAbstractButton {
public:
    ProminentButton(const QString& text, QColor accent)
        : m_accent(std::move(accent))
        , m_spinner(new TruneSpinner(TruneSpinnerSize::small))
        , m_label(truneSheetLabel(text, truneFont(TruneTextStyle::callout, QFont::DemiBold), Qt::white))
    {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(14, 7, 14, 7);
        layout->setSpacing(6);
        QPalette spinnerColour = m_spinner->palette();
        spinnerColour.setColor(QPalette::WindowText, Qt::white);
        m_spinner->setPalette(spinnerColour);
        m_spinner->hide();
        // Children of a button draw in its button-text colour unless told otherwise.
        m_spinner->setForegroundRole(QPalette::WindowText);
        m_label->setForegroundRole(QPalette::WindowText);
        layout->addWidget(m_spinner);
        layout->addWidget(m_label);
        setText(text);
        setAccessibleName(text);
    }

    void setLabel(const QString& text, bool busy)
    {
        setText(text);
        setAccessibleName(text);
        truneSetTextIfChanged(*m_label, text);
        m_spinner->setVisible(busy);
        setEnabled(!busy);
    }
    QString shownText() const { return m_label->text(); }
    bool isSpinning() const { return !m_spinner->isHidden(); }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_accent;
        if (!isEnabled())
            fill.setAlphaF(0.55);
        else if (isDown())
            fill = fill.darker(115);
        painter.fillPath(TruneGlassShapes::roundedRect(QRectF(rect()), 7), fill);
        if (TruneGlassShapes::showsFocusRing(*this))
            TruneGlassShapes::paintFocusRing(painter, QRectF(rect()), 7, Qt::white);
    }

private:
    QColor m_accent;
    TruneSpinner* m_spinner;
    QLabel* m_label;
};

// The details editor: as tall as its minimum unless the sheet gives it more.
class DetailsEditor final : public QPlainTextEdit {
public:
    static constexpr int minimumEditorHeight = 105;

    DetailsEditor()
    {
        setMinimumHeight(minimumEditorHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override { return {QPlainTextEdit::sizeHint().width(), minimumEditorHeight}; }
};

// A thumbnail filling its frame, clipped to a rounded rectangle.
class ThumbnailView final : public QWidget {
public:
    explicit ThumbnailView(QImage image)
        : m_image(std::move(image))
    {
        setFixedSize(TruneFeedbackScreenshotIntake::thumbnailSize);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipPath(TruneGlassShapes::roundedRect(QRectF(rect()), 8));
        painter.drawImage(QRectF(rect()), m_image);
    }

private:
    QImage m_image;
};

// Uploads outlive the sheets that started them; their results go back to the GUI thread only while
// the application object exists.
QThreadPool& uploadPool()
{
    static QThreadPool pool;
    return pool;
}

QString tooManyScreenshotsText()
{
    return TruneFeedbackError::tooManyScreenshots(TruneFeedbackService::maxScreenshots).errorDescription();
}

QString screenshotTooLargeText()
{
    return TruneFeedbackError::screenshotTooLarge(TruneFeedbackService::maxScreenshotBytes / (1024 * 1024))
        .errorDescription();
}

QMutex deliveryMutex;
bool applicationGone = false;

// Called on the GUI thread before any worker can deliver.
void watchForTheApplicationsEnd()
{
    static const bool watching = [] {
        qAddPostRoutine([] {
            const QMutexLocker lock(&deliveryMutex);
            applicationGone = true;
        });
        return true;
    }();
    Q_UNUSED(watching);
}

void deliverToGuiThread(std::function<void()> delivery)
{
    const QMutexLocker lock(&deliveryMutex);
    if (!applicationGone)
        QMetaObject::invokeMethod(qApp, std::move(delivery), Qt::QueuedConnection);
}

} // namespace

struct TruneFeedbackSheet::Intake {
    struct Item {
        TruneFeedbackScreenshotIntake::FileIntake::Outcome outcome = {};
        std::optional<TruneFeedbackScreenshot> screenshot = {};
        QImage thumbnail = {};
    };
    bool fromClipboard = false;
    std::vector<Item> items = {}; // for the clipboard: one, or none when it held no image
    // for the clipboard without an item: an image was there but too large to decode
    bool clipboardImageTooLarge = false;
    bool moreFilesUnread = false; // files past the free places were not read
};

TruneFeedbackSheet::TruneFeedbackSheet(TruneFeedbackSheetOptions options, QWidget* parent)
    : QWidget(parent)
    , m_options(std::move(options))
{
    watchForTheApplicationsEnd();
    m_intake.setMaxThreadCount(1);
    m_intake.setObjectName(u"TruneFeedbackSheetIntake"_s);
    setObjectName(u"feedbackSheet"_s);
    setMinimumSize(560, 540);
    setWindowTitle(text(u"Send Feedback"_s, u"Geri Bildirim Gönder"_s));
    truneLocaleEnvironment(*this, m_options.language);
    truneContentLayoutDirection(*this, m_options.language);

    auto* column = new QWidget;
    column->setObjectName(u"feedbackColumn"_s);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(20, 20, 20, 20);
    columnLayout->setSpacing(16);
    columnLayout->addWidget(headerRow());
    m_form = composerForm();
    columnLayout->addWidget(m_form);
    columnLayout->addWidget(receiptCard());
    columnLayout->addStretch(1);

    auto* ground = new TruneGroundBackground(m_options.palette);
    ground->setObjectName(u"feedbackGround"_s);
    truneInstallScrollingPage(this, column, u"feedbackScroll"_s, ground);

    render();
}

TruneFeedbackSheet::~TruneFeedbackSheet()
{
    m_intake.waitForDone();
}

void TruneFeedbackSheet::keyPressEvent(QKeyEvent* event)
{
    // The fields leave Escape to the sheet; without a close action it goes on to the host.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_options.onClose) {
        event->accept();
        m_options.onClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString TruneFeedbackSheet::text(const QString& en, const QString& tr) const
{
    return truneText(en, tr, m_options.language);
}

void TruneFeedbackSheet::waitForIntake()
{
    m_intake.waitForDone();
    QCoreApplication::sendPostedEvents(qApp);
    QCoreApplication::processEvents();
}

void TruneFeedbackSheet::waitForUploads()
{
    uploadPool().waitForDone();
}

QWidget* TruneFeedbackSheet::headerRow()
{
    auto* row = new QWidget;
    row->setObjectName(u"feedbackHeader"_s);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    const std::optional<TruneAppIdentity> identity = TruneAppIdentityCatalog::resolve(m_options.appName);
    auto* mark = new TruneBrandMark(
        28, identity ? TruneBrandMarkStyle::app(*identity) : TruneBrandMarkStyle::currentApp(), *m_options.bundle);
    mark->setObjectName(u"feedbackBrandMark"_s);
    layout->addWidget(mark, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    QLabel* title = truneSheetLabel(text(u"We continuously improve our programs by listening to you"_s,
                                        u"Sizi dinleyerek programlarımızı sürekli geliştiriyoruz"_s),
        truneFont(16, QFont::Bold), Qt::white, u"feedbackTitle"_s);
    title->setWordWrap(true);
    texts->addWidget(title);
    QLabel* subtitle = truneSheetLabel(
        text(u"Spotted a bug in "_s + m_options.appName
                + u", have a feature wish, or a new app idea? Share your email and an optional screenshot."_s,
            m_options.appName
                + u" içinde bir hata mı gördünüz, özellik öneriniz ya da yeni bir program fikriniz mi var? E-postanız "
                  u"ve ekran görüntüsüyle bize yazın."_s),
        truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"feedbackSubtitle"_s);
    subtitle->setWordWrap(true);
    texts->addWidget(subtitle);
    layout->addLayout(texts, 1);

    if (m_options.onClose) {
        QToolButton* close
            = symbolButton(u"xmark.circle.fill"_s, 18, TruneGlassTokens::textSecondary(), text(u"Close"_s, u"Kapat"_s));
        close->setObjectName(u"feedbackClose"_s);
        connect(close, &QToolButton::clicked, this, [this] { m_options.onClose(); });
        layout->addWidget(close, 0, Qt::AlignTop);
    }
    return row;
}

QWidget* TruneFeedbackSheet::composerForm()
{
    auto* form = new QWidget;
    form->setObjectName(u"feedbackForm"_s);
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    layout->addWidget(kindCard());
    layout->addWidget(fieldsCard());
    layout->addWidget(screenshotCard());
    layout->addWidget(errorLine());
    layout->addWidget(actionRow());
    return form;
}

QWidget* TruneFeedbackSheet::kindCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(fieldLabel(text(u"What is this about?"_s, u"Konu türü"_s)));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    const QColor accent = accentColor(m_options.palette);
    int index = 0;
    for (const TruneFeedbackKind kind : allCases<TruneFeedbackKind>()) {
        auto* chip = new KindChip(kind, m_options.language, accent);
        chip->setObjectName(u"kindChip-"_s + rawValue(kind));
        connect(chip, &QAbstractButton::clicked, this, [this, kind] { selectKind(kind); });
        grid->addWidget(chip, index / 2, index % 2);
        m_kindChips[kind] = chip;
        ++index;
    }
    layout->addLayout(grid);

    auto* card = new TruneGlassCard(14, 14);
    card->setObjectName(u"kindCard"_s);
    card->setContent(content);
    return card;
}

QWidget* TruneFeedbackSheet::fieldsCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    m_emailField = textField(text(u"you@example.com"_s, u"ornek@eposta.com"_s), u"emailField"_s);
    m_nameField = textField(text(u"Optional"_s, u"Opsiyonel"_s), u"nameField"_s);
    m_subjectField
        = textField(text(u"Summarize in one line…"_s, u"Konuyu tek cümlede özetleyin…"_s), u"subjectField"_s);
    connect(m_emailField, &QLineEdit::textEdited, this, [this](const QString& value) { m_state.email = value; });
    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString& value) { m_state.senderName = value; });
    connect(m_subjectField, &QLineEdit::textEdited, this, [this](const QString& value) { m_state.subject = value; });

    auto* contact = new QHBoxLayout;
    contact->setSpacing(10);
    contact->addWidget(labelledField(text(u"Your Email *"_s, u"E-posta Adresiniz *"_s), m_emailField), 1);
    contact->addWidget(labelledField(text(u"Name (optional)"_s, u"Adınız (opsiyonel)"_s), m_nameField), 1);
    layout->addLayout(contact);
    layout->addWidget(labelledField(text(u"Short Title *"_s, u"Kısa Başlık *"_s), m_subjectField));

    m_messageField = new DetailsEditor;
    m_messageField->setObjectName(u"messageField"_s);
    m_messageField->setFont(truneFont(13));
    m_messageField->setTabChangesFocus(true);
    m_messageField->setStyleSheet(
        u"QPlainTextEdit { background: %1; border: 1px solid %2; border-radius: 8px; "
        u"padding: 6px; color: %3; }"_s.arg(truneCssColor(TruneGlassTokens::surface1()),
            truneCssColor(TruneGlassTokens::borderSubtle()), truneCssColor(TruneGlassTokens::textPrimary())));
    connect(m_messageField, &QPlainTextEdit::textChanged, this,
        [this] { m_state.message = m_messageField->toPlainText(); });
    layout->addWidget(labelledField(text(u"Details *"_s, u"Detaylar / Fikriniz *"_s), m_messageField));

    auto* card = new TruneGlassCard(14, 14);
    card->setObjectName(u"fieldsCard"_s);
    card->setContent(content);
    return card;
}

QWidget* TruneFeedbackSheet::screenshotCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(truneSymbolLabel(u"photo.on.rectangle.angled"_s,
        text(u"Screenshots (optional, up to 5)"_s, u"Ekran Görüntüleri (opsiyonel, en fazla 5)"_s),
        truneFont(TruneTextStyle::caption, QFont::DemiBold), Qt::white, u"screenshotsTitle"_s));
    buttons->addStretch(1);
    TruneGlassButton* paste
        = glassButton(text(u"Paste Clipboard"_s, u"Panodan Yapıştır"_s), u"doc.on.clipboard"_s, u"pasteScreenshot"_s);
    connect(paste, &QAbstractButton::clicked, this, &TruneFeedbackSheet::pasteFromClipboard);
    buttons->addWidget(paste);
    TruneGlassButton* pick
        = glassButton(text(u"Choose Image…"_s, u"Görsel Seç…"_s), u"plus.circle"_s, u"pickScreenshots"_s);
    connect(pick, &QAbstractButton::clicked, this, &TruneFeedbackSheet::pickScreenshotsFromDisk);
    buttons->addWidget(pick);
    layout->addLayout(buttons);

    m_hintLabel = truneSheetLabel({}, truneFont(caption2Px), TruneGlassTokens::textSecondary(), u"screenshotHint"_s);
    m_hintLabel->setWordWrap(true);
    layout->addWidget(m_hintLabel);

    m_strip = new QWidget;
    m_strip->setObjectName(u"screenshotStrip"_s);
    m_strip->setAutoFillBackground(false);
    m_tiles = new QHBoxLayout(m_strip);
    m_tiles->setContentsMargins(0, 0, 0, 0);
    m_tiles->setSpacing(10);
    m_tiles->addStretch(1);
    auto* scroll = new QScrollArea;
    m_stripScroll = scroll;
    scroll->setObjectName(u"screenshotScroll"_s);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(m_strip);
    m_strip->setAutoFillBackground(false);
    scroll->hide();
    layout->addWidget(scroll);

    auto* card = new TruneGlassCard(14, 14);
    card->setObjectName(u"screenshotCard"_s);
    card->setContent(content);
    return card;
}

QWidget* TruneFeedbackSheet::errorLine()
{
    m_errorLine = new TruneRoundedPanel(10, truneWithOpacity(TruneGlassTokens::danger(), 0.22));
    m_errorLine->setObjectName(u"errorLine"_s);
    auto* layout = new QHBoxLayout(m_errorLine);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    const QFont font = truneFont(TruneTextStyle::caption);
    layout->addWidget(
        truneSymbolIcon(u"exclamationmark.triangle.fill"_s, QFontMetrics(font).ascent(), TruneGlassTokens::warning()));
    m_errorLabel = truneSheetLabel({}, font, Qt::white, u"errorText"_s);
    m_errorLabel->setWordWrap(true);
    layout->addWidget(m_errorLabel, 1);
    return m_errorLine;
}

QWidget* TruneFeedbackSheet::actionRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    TruneGlassButton* browser
        = glassButton(text(u"Open in Browser"_s, u"Tarayıcıda Aç"_s), u"safari"_s, u"openInBrowser"_s);
    connect(browser, &QAbstractButton::clicked, this, &TruneFeedbackSheet::openInBrowser);
    layout->addWidget(browser);
    layout->addStretch(1);
    layout->addWidget(truneSheetLabel(m_options.appName + u" v"_s + m_options.version.shortVersion,
        truneFont(caption2Px, QFont::Normal, TruneFontDesign::monospaced), TruneGlassTokens::textMuted(),
        u"feedbackFooter"_s));
    auto* send
        = new ProminentButton(text(u"Send Feedback"_s, u"Geri Bildirimi Gönder"_s), accentColor(m_options.palette));
    send->setObjectName(u"sendFeedback"_s);
    connect(send, &QAbstractButton::clicked, this, &TruneFeedbackSheet::submitFeedback);
    m_sendButton = send;
    layout->addWidget(send);
    return row;
}

QWidget* TruneFeedbackSheet::receiptCard()
{
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* thanks = new QHBoxLayout;
    thanks->setSpacing(8);
    thanks->addWidget(truneSymbolIcon(u"checkmark.seal.fill"_s, 22, TruneGlassTokens::success()));
    thanks->addWidget(truneSheetLabel(text(u"Thank you for sharing!"_s, u"Zaman ayırıp yazdığınız için teşekkürler!"_s),
                          truneFont(TruneTextStyle::headline), Qt::white, u"receiptTitle"_s),
        1);
    layout->addLayout(thanks);

    m_receiptMessage = truneSheetLabel(
        {}, truneFont(TruneTextStyle::callout), TruneGlassTokens::textSecondary(), u"receiptMessage"_s);
    m_receiptMessage->setWordWrap(true);
    layout->addWidget(m_receiptMessage);

    auto* badges = new QHBoxLayout;
    badges->setSpacing(10);
    auto* badge = new TruneRoundedPanel(8, TruneGlassTokens::surface2());
    auto* badgeLayout = new QHBoxLayout(badge);
    badgeLayout->setContentsMargins(10, 5, 10, 5);
    m_referenceLabel
        = truneSheetLabel({}, truneFont(TruneTextStyle::caption, QFont::Bold), Qt::white, u"receiptReference"_s);
    m_referenceLabel->setFont(truneFont(10, QFont::Bold, TruneFontDesign::monospaced));
    m_referenceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    badgeLayout->addWidget(m_referenceLabel);
    badges->addWidget(badge);
    m_attachmentsLabel = truneSheetLabel(
        {}, truneFont(TruneTextStyle::caption), TruneGlassTokens::textSecondary(), u"receiptAttachments"_s);
    badges->addWidget(m_attachmentsLabel);
    badges->addStretch(1);
    layout->addLayout(badges);

    auto* actions = new QHBoxLayout;
    actions->setContentsMargins(0, 4, 0, 0);
    TruneGlassButton* another
        = glassButton(text(u"Send Another Note"_s, u"Yeni Bildirim Gönder"_s), QString(), u"sendAnotherNote"_s);
    connect(another, &QAbstractButton::clicked, this, &TruneFeedbackSheet::sendAnotherNote);
    actions->addWidget(another);
    actions->addStretch(1);
    if (m_options.onClose) {
        auto* done = new ProminentButton(text(u"Done"_s, u"Tamam"_s), accentColor(m_options.palette));
        done->setObjectName(u"receiptDone"_s);
        connect(done, &QAbstractButton::clicked, this, [this] { m_options.onClose(); });
        actions->addWidget(done);
    }
    layout->addLayout(actions);

    m_receiptCard = new TruneGlassCard(20, 14);
    m_receiptCard->setObjectName(u"receiptCard"_s);
    m_receiptCard->setContent(content);
    return m_receiptCard;
}

void TruneFeedbackSheet::selectKind(TruneFeedbackKind kind)
{
    m_state.kind = kind;
    render();
}

void TruneFeedbackSheet::submitFeedback()
{
    if (m_state.isSubmitting)
        return;
    m_state.errorMessage.reset();
    m_state.isSubmitting = true;
    render();
    // A snapshot: edits made while the upload runs do not reach it.
    TruneFeedbackSubmission submission{.target = {.appName = m_options.appName,
                                           .version = m_options.version,
                                           .kind = m_state.kind,
                                           .language = m_options.language,
                                           .baseURL = m_options.baseURL},
        .email = m_state.email,
        .senderName = m_state.senderName,
        .subject = m_state.subject,
        .message = m_state.message,
        .screenshots = m_state.screenshots};
    uploadPool().start([submission = std::move(submission), sheet = QPointer<TruneFeedbackSheet>(this)] {
        auto result = TruneFeedbackService::submit(submission);
        deliverToGuiThread([sheet, result = std::move(result)] {
            if (sheet)
                sheet->finishSubmission(result);
        });
    });
}

void TruneFeedbackSheet::finishSubmission(const std::expected<TruneFeedbackReceipt, TruneFeedbackError>& result)
{
    m_state.isSubmitting = false;
    if (result)
        m_state.receipt = *result;
    else
        m_state.errorMessage = result.error().errorDescription();
    render();
}

void TruneFeedbackSheet::sendAnotherNote()
{
    m_state.receipt.reset();
    m_state.subject.clear();
    m_state.message.clear();
    m_state.screenshots.clear();
    m_state.errorMessage.reset();
    m_thumbnails.clear();
    render();
}

void TruneFeedbackSheet::openInBrowser()
{
    // Resolving the address reads the user defaults, and the browser starts as a process.
    QThreadPool::globalInstance()->start(
        [target = TruneFeedbackTarget{.appName = m_options.appName,
             .version = m_options.version,
             .kind = m_state.kind,
             .language = m_options.language,
             .baseURL = m_options.baseURL}] { TruneFeedbackService::openInBrowser(target); });
}

void TruneFeedbackSheet::pasteFromClipboard()
{
    m_state.errorMessage.reset();
    if (std::ssize(m_state.screenshots) >= TruneFeedbackService::maxScreenshots) {
        m_state.errorMessage = tooManyScreenshotsText();
        render();
        return;
    }
    render();
    const TruneClipboardImage clipboard
        = TruneFeedbackScreenshotIntake::takeClipboardImage(QGuiApplication::clipboard()->mimeData());
    const qreal ratio = devicePixelRatioF();
    runIntake([clipboard, ratio] {
        Intake intake{.fromClipboard = true};
        auto screenshot
            = TruneFeedbackScreenshotIntake::screenshotFromClipboard(clipboard, QDateTime::currentDateTimeUtc());
        if (screenshot) {
            QImage thumbnail = TruneFeedbackScreenshotIntake::thumbnail(
                screenshot->data, TruneFeedbackScreenshotIntake::thumbnailSize, ratio);
            intake.items.push_back({TruneFeedbackScreenshotIntake::FileIntake::Outcome::accepted,
                std::move(*screenshot), std::move(thumbnail)});
        } else {
            intake.clipboardImageTooLarge
                = screenshot.error() == TruneFeedbackScreenshotIntake::ImageRefusal::tooManyPixels;
        }
        return intake;
    });
}

void TruneFeedbackSheet::pickScreenshotsFromDisk()
{
    m_state.errorMessage.reset();
    render();
    const QStringList paths = m_options.chooseFiles(this, m_options.language);
    if (paths.isEmpty())
        return;
    const qsizetype freePlaces
        = std::max<qsizetype>(0, TruneFeedbackService::maxScreenshots - std::ssize(m_state.screenshots));
    const qreal ratio = devicePixelRatioF();
    runIntake([paths, freePlaces, ratio] {
        using Outcome = TruneFeedbackScreenshotIntake::FileIntake::Outcome;
        Intake intake;
        qsizetype accepted = 0;
        for (const QString& path : paths) {
            if (accepted == freePlaces) {
                intake.moreFilesUnread = true;
                break;
            }
            TruneFeedbackScreenshotIntake::FileIntake file = TruneFeedbackScreenshotIntake::readScreenshotFile(path);
            QImage thumbnail;
            if (file.outcome == Outcome::accepted) {
                ++accepted;
                thumbnail = TruneFeedbackScreenshotIntake::thumbnail(
                    file.screenshot->data, TruneFeedbackScreenshotIntake::thumbnailSize, ratio);
            }
            intake.items.push_back({file.outcome, std::move(file.screenshot), std::move(thumbnail)});
        }
        return intake;
    });
}

void TruneFeedbackSheet::runIntake(std::function<Intake()> work)
{
    m_intake.start([work = std::move(work), sheet = QPointer<TruneFeedbackSheet>(this)] {
        deliverToGuiThread([sheet, intake = work()] {
            if (sheet)
                sheet->applyIntake(intake);
        });
    });
}

void TruneFeedbackSheet::applyIntake(const Intake& intake)
{
    using Outcome = TruneFeedbackScreenshotIntake::FileIntake::Outcome;
    if (intake.clipboardImageTooLarge) {
        m_state.errorMessage = text(u"The image on the clipboard has more than 64 megapixels, too many to attach."_s,
            u"Panodaki görsel 64 megapikselden büyük; eklenemeyecek kadar büyük."_s);
        render();
        return;
    }
    if (intake.fromClipboard && intake.items.empty()) {
        m_state.statusHint
            = text(u"No image found on the clipboard right now. Take a screenshot first, then click Paste."_s,
                u"Panoda görsel bulunamadı. Önce ekran görüntüsü alıp ardından Panodan Yapıştır'a tıklayın."_s);
        render();
        return;
    }
    for (const Intake::Item& item : intake.items) {
        if (std::ssize(m_state.screenshots) >= TruneFeedbackService::maxScreenshots) {
            m_state.errorMessage = tooManyScreenshotsText();
            render();
            return;
        }
        if (item.outcome == Outcome::tooLarge)
            m_state.errorMessage = screenshotTooLargeText();
        if (item.outcome == Outcome::accepted && addScreenshot(*item.screenshot, item.thumbnail)
            && intake.fromClipboard)
            m_state.statusHint = text(u"Screenshot pasted from clipboard."_s, u"Panodaki ekran görüntüsü eklendi."_s);
    }
    if (intake.moreFilesUnread)
        m_state.errorMessage = tooManyScreenshotsText();
    render();
}

bool TruneFeedbackSheet::addScreenshot(const TruneFeedbackScreenshot& screenshot, const QImage& thumbnail)
{
    if (screenshot.data.size() > TruneFeedbackService::maxScreenshotBytes) {
        m_state.errorMessage = screenshotTooLargeText();
        return false;
    }
    m_state.screenshots.push_back(screenshot);
    m_thumbnails.insert(screenshot.id, thumbnail);
    return true;
}

void TruneFeedbackSheet::removeScreenshot(const QUuid& id)
{
    std::erase_if(m_state.screenshots, [&](const TruneFeedbackScreenshot& screenshot) { return screenshot.id == id; });
    m_thumbnails.remove(id);
    render();
}

void TruneFeedbackSheet::render()
{
    renderKinds();
    renderScreenshots();
    renderReceipt();
    truneSetTextIfChanged(*m_hintLabel, m_state.statusHint.value_or(QString()));
    m_hintLabel->setVisible(m_state.statusHint.has_value());
    truneSetTextIfChanged(*m_errorLabel, m_state.errorMessage.value_or(QString()));
    m_errorLine->setVisible(m_state.errorMessage.has_value());
    static_cast<ProminentButton*>(m_sendButton)
        ->setLabel(m_state.isSubmitting ? text(u"Sending…"_s, u"Gönderiliyor…"_s)
                                        : text(u"Send Feedback"_s, u"Geri Bildirimi Gönder"_s),
            m_state.isSubmitting);
    // Only "Send Another Note" empties the fields; typing writes the state directly.
    if (m_subjectField->text() != m_state.subject)
        m_subjectField->setText(m_state.subject);
    if (m_messageField->toPlainText() != m_state.message)
        m_messageField->setPlainText(m_state.message);
    m_form->setVisible(!m_state.receipt);
    m_receiptCard->setVisible(m_state.receipt.has_value());
    emit stateChanged();
}

void TruneFeedbackSheet::renderKinds()
{
    for (const auto& [kind, chip] : m_kindChips) {
        if (chip->isChecked() != (kind == m_state.kind))
            chip->setChecked(kind == m_state.kind);
    }
}

void TruneFeedbackSheet::renderScreenshots()
{
    std::vector<QUuid> ids;
    for (const TruneFeedbackScreenshot& screenshot : m_state.screenshots)
        ids.push_back(screenshot.id);
    if (ids == m_shownTiles)
        return;
    // The trailing stretch stays; the tiles before it are made anew.
    while (m_tiles->count() > 1) {
        QLayoutItem* item = m_tiles->takeAt(0);
        delete item->widget();
        delete item;
    }
    int position = 0;
    for (const TruneFeedbackScreenshot& screenshot : m_state.screenshots) {
        QWidget* tile = screenshotTile(screenshot);
        m_tiles->insertWidget(position++, tile, 0, Qt::AlignVCenter);
        tile->show();
    }
    m_shownTiles = std::move(ids);
    m_stripScroll->setVisible(!m_state.screenshots.empty());
    m_stripScroll->setFixedHeight(m_strip->sizeHint().height());
}

QWidget* TruneFeedbackSheet::screenshotTile(const TruneFeedbackScreenshot& screenshot)
{
    auto* tile = new TruneRoundedPanel(10, TruneGlassTokens::surface1());
    tile->setObjectName(u"screenshotTile"_s);
    tile->setFixedWidth(tileWidth);
    auto* layout = new QVBoxLayout(tile);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    const QImage image = m_thumbnails.value(screenshot.id);
    if (!image.isNull()) {
        auto* view = new ThumbnailView(image);
        view->setObjectName(u"screenshotThumbnail"_s);
        layout->addWidget(view);
    }
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    bottom->addWidget(
        truneSheetLabel(screenshot.formattedSize(), truneFont(caption2Px, QFont::Normal, TruneFontDesign::monospaced),
            TruneGlassTokens::textMuted(), u"screenshotSize"_s));
    bottom->addStretch(1);
    const QFont caption = truneFont(TruneTextStyle::caption);
    QToolButton* remove = symbolButton(u"xmark.circle.fill"_s, QFontMetrics(caption).ascent(),
        TruneGlassTokens::danger(), text(u"Remove"_s, u"Kaldır"_s));
    remove->setObjectName(u"removeScreenshot"_s);
    connect(remove, &QToolButton::clicked, this, [this, id = screenshot.id] { removeScreenshot(id); });
    bottom->addWidget(remove);
    layout->addLayout(bottom);
    return tile;
}

void TruneFeedbackSheet::renderReceipt()
{
    if (!m_state.receipt)
        return;
    const TruneFeedbackReceipt& receipt = *m_state.receipt;
    truneSetTextIfChanged(*m_receiptMessage, receipt.message);
    truneSetTextIfChanged(*m_referenceLabel, text(u"Reference"_s, u"Takip Kodu"_s) + u": "_s + receipt.referenceCode);
    truneSetTextIfChanged(*m_attachmentsLabel, u"📷 "_s + QString::number(receipt.attachmentsCount));
    m_attachmentsLabel->setVisible(receipt.attachmentsCount >= 1);
}
