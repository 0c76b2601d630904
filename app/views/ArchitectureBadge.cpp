#include "app/views/ArchitectureBadge.h"

#include <QPainter>

ArchitectureBadge::ArchitectureBadge(AppArchitecture architecture, QWidget* parent)
    : QWidget(parent)
    , m_architecture(architecture)
{
}

void ArchitectureBadge::setArchitecture(AppArchitecture architecture)
{
    m_architecture = architecture;
    update();
}

QSizeF ArchitectureBadge::badgeSize(AppArchitecture) { return {44, 16}; }

void ArchitectureBadge::paint(QPainter&, const QPointF&, AppArchitecture) { }

QSize ArchitectureBadge::sizeHint() const { return badgeSize(m_architecture).toSize(); }

void ArchitectureBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, {0, 0}, m_architecture);
}
