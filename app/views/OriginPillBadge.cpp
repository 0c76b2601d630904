#include "app/views/OriginPillBadge.h"

#include <QPainter>

OriginPillBadge::OriginPillBadge(AppOriginKind origin, TruneLanguage language, QWidget* parent)
    : QWidget(parent)
    , m_origin(origin)
    , m_language(language)
{
}

void OriginPillBadge::setOrigin(AppOriginKind origin, TruneLanguage language)
{
    m_origin = origin;
    m_language = language;
    update();
}

QSizeF OriginPillBadge::badgeSize(AppOriginKind, TruneLanguage) { return {60, 16}; }

void OriginPillBadge::paint(QPainter&, const QPointF&, AppOriginKind, TruneLanguage) { }

QSize OriginPillBadge::sizeHint() const { return badgeSize(m_origin, m_language).toSize(); }

void OriginPillBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, {0, 0}, m_origin, m_language);
}
