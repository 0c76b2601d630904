#include "kit/ui/TruneElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Outside text on one line: line breaks, tabs and other control characters would break the line
// or, as U+009C, be taken by the eliding for a separator of alternative texts.
QString asOneLine(const QString& text)
{
    QString line = text;
    for (QChar& character : line) {
        const QChar::Category category = character.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            character = u' ';
    }
    return line;
}

} // namespace

TruneElidedLabel::TruneElidedLabel(const QString& text, Qt::TextElideMode mode, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_oneLine(asOneLine(text))
    , m_mode(mode)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(text);
    refit();
}

void TruneElidedLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_oneLine = asOneLine(text);
    setAccessibleName(text);
    updateGeometry();
    refit();
}

void TruneElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    refit();
}

void TruneElidedLabel::setAlignment(Qt::Alignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

QString TruneElidedLabel::displayedText() const
{
    return QFontMetrics(font()).elidedText(m_oneLine, m_mode, contentsRect().width());
}

bool TruneElidedLabel::isElided() const
{
    return displayedText() != m_oneLine;
}

QSize TruneElidedLabel::sizeHint() const
{
    // Rounded up: the eliding compares the text's fractional width with the whole pixels it has.
    const QFontMetrics metrics(font());
    const QMargins margins = contentsMargins();
    const int textWidth = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_oneLine)));
    return {textWidth + margins.left() + margins.right(), metrics.height() + margins.top() + margins.bottom()};
}

QSize TruneElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    const QMargins margins = contentsMargins();
    const int ellipsis = m_oneLine.isEmpty() ? 0 : metrics.horizontalAdvance(u"…"_s);
    return {ellipsis + margins.left() + margins.right(), metrics.height() + margins.top() + margins.bottom()};
}

void TruneElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(),
        static_cast<int>(QStyle::visualAlignment(layoutDirection(), m_alignment)), palette(), isEnabled(),
        displayedText(), foregroundRole());
}

void TruneElidedLabel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refit();
}

void TruneElidedLabel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ContentsRectChange) {
        updateGeometry();
        refit();
    }
}

void TruneElidedLabel::refit()
{
    update();
    // Rich text with the full text escaped: shown as written, also when it looks like markup.
    const QString tip = isElided() ? Qt::convertFromPlainText(m_text, Qt::WhiteSpaceNormal) : QString();
    if (tip != toolTip())
        setToolTip(tip);
}
