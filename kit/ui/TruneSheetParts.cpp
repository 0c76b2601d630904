#include "kit/ui/TruneSheetParts.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
    // Inside a button a label paints with ButtonText, outside with WindowText: both carry the colour.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    label->setPalette(palette);
    label->setObjectName(objectName);
    return label;
}

QLabel* truneSymbolIcon(const QString& symbol, int px, const QColor& color)
{
    auto* icon = new QLabel;
    icon->setPixmap(TruneSymbols::pixmap(symbol, px, color, qApp->devicePixelRatio()));
    icon->setAlignment(Qt::AlignCenter);
    return icon;
}

void truneSetTextIfChanged(QLabel& label, const QString& text)
{
    if (label.text() != text)
        label.setText(text);
}

void truneSetTextIfChanged(QAbstractButton& button, const QString& text)
{
    if (button.text() != text) {
        button.setText(text);
        button.updateGeometry();
    }
}

void truneSetTextIfChanged(QLineEdit& field, const QString& text)
{
    if (field.text() != text)
        field.setText(text);
}

QWidget* truneSymbolLabel(
    const QString& symbol, const QString& text, const QFont& font, const QColor& color, const QString& objectName)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    layout->addWidget(truneSymbolIcon(symbol, QFontMetrics(font).ascent(), color));
    layout->addWidget(truneSheetLabel(text, font, color, objectName));
    layout->addStretch(1);
    return row;
}

void truneWidenMessageBox(QMessageBox& box, int width)
{
    // A message box lays itself out in a grid; a spacer across its last row sets the least width.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
        grid->columnCount());
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
