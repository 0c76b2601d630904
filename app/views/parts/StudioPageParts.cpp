#include "app/views/parts/StudioPageParts.h"

#include "app/views/parts/StudioHairline.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSymbols.h"

#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollArea>

using namespace Qt::StringLiterals;

namespace StudioPageParts {

QLabel* label(const QFont& font, const QColor& color, const QString& objectName, bool wraps)
{
    QLabel* created = truneSheetLabel(QString(), font, color, objectName);
    created->setWordWrap(wraps);
    return created;
}

void syncColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    if (palette.color(QPalette::WindowText) == color && palette.color(QPalette::ButtonText) == color)
        return;
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void syncToolTip(QWidget* widget, const QString& toolTip)
{
    // Tooltips are rich text when they look like it: what comes from outside is escaped.
    const QString escaped = toolTip.toHtmlEscaped();
    if (widget->toolTip() != escaped)
        widget->setToolTip(escaped);
    if (widget->accessibleName() != toolTip)
        widget->setAccessibleName(toolTip);
}

QString hoursAndMinutes(const QTime& time, const QLocale& locale)
{
    static const QRegularExpression seconds(u"[:.]?s{1,2}"_s);
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(seconds);
    return locale.toString(time, pattern.trimmed());
}

QWidget* divider(const QColor& color)
{
    return new StudioHairline(color, 1);
}

QScrollArea* installScrollingPage(QWidget* page, QWidget* column, const QString& objectName)
{
    QScrollArea* scroll = truneInstallScrollingPage(page, column, objectName, nullptr);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return scroll;
}

} // namespace StudioPageParts

StudioSymbolGlyph::StudioSymbolGlyph(const QString& symbol, const QColor& color, int px, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_color(color)
    , m_px(px)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StudioSymbolGlyph::setSymbol(const QString& symbol, const QColor& color)
{
    if (symbol == m_symbol && color == m_color)
        return;
    m_symbol = symbol;
    m_color = color;
    update();
}

QSize StudioSymbolGlyph::sizeHint() const
{
    return {m_px, m_px};
}

void StudioSymbolGlyph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF square(QPointF(0, (height() - m_px) / 2.0), QSizeF(m_px, m_px));
    TruneSymbols::paint(painter, square, m_symbol, m_color);
}
