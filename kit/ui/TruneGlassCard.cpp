#include "kit/ui/TruneGlassCard.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QPainter>
#include <QVBoxLayout>

TruneGlassCard::TruneGlassCard(qreal padding, qreal cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_padding(padding)
    , m_cornerRadius(cornerRadius)
    , m_layout(new QVBoxLayout(this))
{
    const int margin = qRound(padding);
    m_layout->setContentsMargins(margin, margin, margin, margin);
    m_layout->setSpacing(0);
}

void TruneGlassCard::setContent(QWidget* content)
{
    if (content == m_content)
        return;
    delete m_content;
    m_content = content;
    if (m_content)
        m_layout->addWidget(m_content);
}

void TruneGlassCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_image.paint(painter, size(), [this](QPainter& card) {
        TruneGlassShapes::paintGlassShape(
            card, QRectF(rect()), m_cornerRadius, TruneGlassTokens::surface1(), TruneGlassTokens::borderSubtle());
    });
}

// Cards on the pages of other tabs would otherwise each hold an image of their size.
void TruneGlassCard::hideEvent(QHideEvent* event)
{
    m_image.release();
    QWidget::hideEvent(event);
}
