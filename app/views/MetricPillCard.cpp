#include "app/views/MetricPillCard.h"

MetricPillCard::MetricPillCard(
    const QString& title, const QString& value, const QString& icon, const QColor& tint, QWidget* parent)
    : QWidget(parent)
    , m_title(title)
    , m_value(value)
    , m_icon(icon)
    , m_tint(tint)
{
}

void MetricPillCard::setTitle(const QString& title) { m_title = title; }
void MetricPillCard::setValue(const QString& value) { m_value = value; }
void MetricPillCard::setTint(const QColor& tint) { m_tint = tint; }
QSize MetricPillCard::sizeHint() const { return {200, 50}; }
int MetricPillCard::heightForWidth(int) const { return 50; }
void MetricPillCard::paintEvent(QPaintEvent*) { }
