#include "app/views/parts/StudioGlassCard.h"

#include "kit/ui/TruneGlassCard.h"

#include <QVBoxLayout>

QVBoxLayout* installStudioGlassCard(QWidget& host, qreal padding, int spacing)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);

    auto* card = new TruneGlassCard(padding, studioCardCornerRadius);
    card->setContent(content);
    auto* outer = new QVBoxLayout(&host);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(card);
    return column;
}
