#include "kit/ui/panels/TruneFirstClickHostingView.h"

#include <QVBoxLayout>

TruneFirstClickHostingView::TruneFirstClickHostingView(QWidget* content, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}
