#include "app/views/parts/SortMenuButton.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QActionGroup>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kSymbol = u"arrow.up.arrow.down"_s;

} // namespace

SortMenuButton::SortMenuButton(Look look, const QColor& accent, QWidget* parent)
    : QToolButton(parent)
    , m_look(std::move(look))
    , m_accent(accent)
    , m_menu(new QMenu(this))
    , m_group(new QActionGroup(this))
{
    setFont(m_look.font);
    setPopupMode(QToolButton::InstantPopup);
    setMenu(m_menu);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_group->setExclusive(true);
}

void SortMenuButton::setEntries(const QStringList& titles, int current, const QString& label)
{
    const QList<QAction*> actions = m_menu->actions();
    if (actions.size() != titles.size()) {
        for (QAction* action : actions) {
            m_group->removeAction(action);
            delete action;
        }
        for (int index = 0; index < titles.size(); ++index) {
            QAction* action = m_menu->addAction(titles[index]);
            action->setCheckable(true);
            m_group->addAction(action);
            connect(action, &QAction::triggered, this, [this, index] { emit entryChosen(index); });
        }
    }
    const QList<QAction*> entries = m_menu->actions();
    for (int index = 0; index < titles.size(); ++index) {
        if (entries[index]->text() != titles[index])
            entries[index]->setText(titles[index]);
        if (entries[index]->isChecked() != (index == current))
            entries[index]->setChecked(index == current);
    }
    if (label != m_label) {
        m_label = label;
        setText(label);
        updateGeometry();
        update();
    }
}

QSize SortMenuButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width
        = 2 * m_look.horizontalPadding + m_look.symbolPx + m_look.spacing + metrics.horizontalAdvance(m_label);
    const qreal height = 2 * m_look.verticalPadding + std::max(m_look.symbolPx, metrics.height());
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

void SortMenuButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    const qreal inset = m_look.borderWidth / 2;
    const QRectF frame = bounds.adjusted(inset, inset, -inset, -inset);
    painter.fillPath(TruneGlassShapes::roundedRect(bounds, m_look.cornerRadius), m_look.fill);
    painter.setPen(QPen(m_look.border, m_look.borderWidth));
    painter.drawPath(TruneGlassShapes::roundedRect(frame, m_look.cornerRadius - inset));

    const qreal symbolTop = bounds.center().y() - m_look.symbolPx / 2;
    TruneSymbols::paint(
        painter, QRectF(m_look.horizontalPadding, symbolTop, m_look.symbolPx, m_look.symbolPx), kSymbol, m_accent);
    const qreal textLeft = m_look.horizontalPadding + m_look.symbolPx + m_look.spacing;
    painter.setFont(font());
    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(QRectF(textLeft, 0, bounds.width() - textLeft - m_look.horizontalPadding, bounds.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_label);
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(painter, bounds, m_look.cornerRadius, TruneGlassTokens::textPrimary());
}
