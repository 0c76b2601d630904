#include "kit/ui/TruneSheetParts.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneSymbols.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStackedLayout>

QScrollArea* truneInstallScrollingPage(QWidget* sheet, QWidget* column, const QString& scrollName, QWidget* ground)
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(scrollName);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(column);
    scroll->viewport()->setAutoFillBackground(false);
    column->setAutoFillBackground(false);

    auto* stack = new QStackedLayout(sheet);
    stack->setStackingMode(QStackedLayout::StackAll);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(scroll);
    if (ground) {
        stack->addWidget(ground);
        ground->lower();
    }
    stack->setCurrentWidget(scroll);
    return scroll;
}

QLabel* truneSheetLabel(const QString& text, const QFont& font, const QColor& color, const QString& objectName)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setObjectName(objectName);
    return label;
}

QWidget* truneSymbolLabel(
    const QString& symbol, const QString& text, const QFont& font, const QColor& color, const QString& objectName)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    auto* icon = new QLabel;
    const int px = QFontMetrics(font).ascent();
    icon->setPixmap(TruneSymbols::pixmap(symbol, px, color, qApp->devicePixelRatio()));
    layout->addWidget(icon);
    layout->addWidget(truneSheetLabel(text, font, color, objectName));
    layout->addStretch(1);
    return row;
}

TruneRoundedPanel::TruneRoundedPanel(qreal radius, QColor fill, QWidget* parent)
    : QWidget(parent)
    , m_radius(radius)
    , m_fill(std::move(fill))
{
}

void TruneRoundedPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::roundedRect(QRectF(rect()), m_radius), m_fill);
}
