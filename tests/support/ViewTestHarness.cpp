#include "tests/support/ViewTestHarness.h"

#include "kit/ui/TruneElidedLabel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>

QColor studioAccent()
{
    return accentColor(TruneProductPalette::deepEmerald);
}

QStringList shownTexts(const QWidget& root)
{
    QStringList texts;
    for (QLabel* label : findShown<QLabel>(root))
        texts.append(label->text());
    for (TruneElidedLabel* label : findShown<TruneElidedLabel>(root))
        texts.append(label->text());
    for (QAbstractButton* button : findShown<QAbstractButton>(root))
        texts.append(button->text());
    texts.removeAll(QString());
    return texts;
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
    settle();
}

void typeInto(QWidget* widget, const QString& text)
{
    QTest::keyClicks(widget, text);
    settle();
}

QImage renderedAlone(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

void placeOnGround(TruneGroundBackground& window, QWidget* view, ViewPlace place, QSize size)
{
    auto* column = new QVBoxLayout(&window);
    switch (place) {
    case ViewPlace::fill:
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(view);
        break;
    case ViewPlace::top:
        column->setContentsMargins(24, 24, 24, 24);
        column->addWidget(view);
        column->addStretch(1);
        break;
    case ViewPlace::bottom:
        column->setContentsMargins(0, 0, 0, 0);
        column->addStretch(1);
        column->addWidget(view);
        break;
    }
    window.resize(size);
    window.show();
    settle();
}
