#include "app/views/settings/IgnoredAppRowDelegate.h"

#include "app/views/parts/StudioListViewStyle.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

namespace {

constexpr qreal verticalPadding = 4;
constexpr qreal spacing = 6;

QFont identifierFont()
{
    return truneFont(12, QFont::Normal, TruneFontDesign::monospaced);
}

} // namespace

IgnoredAppRowDelegate::IgnoredAppRowDelegate(QAbstractItemView& view)
    : QStyledItemDelegate(&view)
    , m_view(view)
    , m_restoreLook(std::make_unique<TruneGlassButton>(QString()))
{
}

IgnoredAppRowDelegate::~IgnoredAppRowDelegate() = default;

void IgnoredAppRowDelegate::setRestoreText(const QString& text)
{
    m_restoreLook->setText(text);
    m_restoreLook->resize(m_restoreLook->sizeHint());
}

int IgnoredAppRowDelegate::rowHeight() const
{
    const qreal content = std::max(QFontMetricsF(identifierFont()).height(), qreal(m_restoreLook->height()));
    return static_cast<int>(std::ceil(2 * verticalPadding + content));
}

QRectF IgnoredAppRowDelegate::restoreRect(const QRect& row) const
{
    const QRectF content(row.left(), row.top(), row.width(), rowHeight());
    const QSizeF size = m_restoreLook->size();
    return {content.right() - size.width(), content.center().y() - size.height() / 2, size.width(), size.height()};
}

QRectF IgnoredAppRowDelegate::identifierRect(const QRect& row) const
{
    const qreal right = restoreRect(row).left() - spacing;
    return {qreal(row.left()), qreal(row.top()), std::max<qreal>(0, right - row.left()), qreal(rowHeight())};
}

QString IgnoredAppRowDelegate::shownIdentifier(const QModelIndex& index, qreal width) const
{
    return QFontMetricsF(identifierFont()).elidedText(index.data().toString(), Qt::ElideMiddle, width);
}

QSize IgnoredAppRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), rowHeight() + rowGap};
}

void IgnoredAppRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    if (option.state.testFlag(QStyle::State_HasFocus))
        paintCurrentRowMark(*painter, QRectF(option.rect).adjusted(0, 0, 0, -rowGap), TruneGlassTokens::textPrimary());
    const QRectF identifier = identifierRect(option.rect);
    painter->setFont(identifierFont());
    painter->setPen(TruneGlassTokens::textPrimary());
    painter->drawText(identifier, Qt::AlignLeft | Qt::AlignVCenter, shownIdentifier(index, identifier.width()));

    const QRectF restore = restoreRect(option.rect);
    painter->translate(restore.topLeft());
    m_restoreLook->setDown(m_pressed.isValid() && m_pressed == index);
    TruneGlassButtonLook::paint(*painter, *m_restoreLook, false, {});
    m_restoreLook->setDown(false);
    painter->restore();
}

bool IgnoredAppRowDelegate::editorEvent(
    QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const bool onButton = restoreRect(option.rect).contains(mouse->position());
    m_view.viewport()->update();
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressed = onButton ? QPersistentModelIndex(index) : QPersistentModelIndex();
        return onButton;
    }
    const bool clicked = onButton && m_pressed == index;
    m_pressed = QPersistentModelIndex();
    if (clicked)
        emit restoreRequested(index.data().toString());
    return clicked;
}

bool IgnoredAppRowDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QRectF identifier = identifierRect(option.rect);
    const QString full = index.data().toString();
    if (event->type() == QEvent::ToolTip && identifier.contains(event->pos())
        && shownIdentifier(index, identifier.width()) != full) {
        QToolTip::showText(event->globalPos(), full.toHtmlEscaped(), view);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
