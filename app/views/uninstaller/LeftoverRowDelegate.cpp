#include "app/views/uninstaller/LeftoverRowDelegate.h"

#include "app/models/LeftoverListModel.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 16;
constexpr qreal itemVerticalPadding = 8;
constexpr qreal headerVerticalPadding = 7;
constexpr qreal spacing = 10;
constexpr qreal checkboxSize = 15;
constexpr qreal lineSpacing = 2;
constexpr qreal tagSpacing = 6;
constexpr qreal tagHorizontalPadding = 5.5;
constexpr qreal tagVerticalPadding = 1.5;
constexpr qreal minimumGap = 8;

QFont headerTitleFont()
{
    return truneFont(11, QFont::Bold);
}
QFont headerCountFont()
{
    return truneFont(10.5, QFont::DemiBold, TruneFontDesign::monospaced);
}
QFont fileNameFont()
{
    return truneFont(12.5, QFont::Medium);
}
QFont tagFont()
{
    return truneFont(9, QFont::DemiBold);
}
QFont pathFont()
{
    return truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced);
}
QFont sizeFont()
{
    return truneFont(11.5, QFont::Normal, TruneFontDesign::monospaced);
}

bool isHeader(const QModelIndex& index)
{
    return index.data(LeftoverListModel::IsHeaderRole).toBool();
}

qreal nameLineHeight()
{
    return std::max(QFontMetricsF(fileNameFont()).height(), QFontMetricsF(tagFont()).height() + 2 * tagVerticalPadding);
}

qreal textColumnHeight()
{
    return nameLineHeight() + lineSpacing + QFontMetricsF(pathFont()).height();
}

} // namespace

LeftoverRowDelegate::LeftoverRowDelegate(const QColor& accent, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_accent(accent)
    , m_revealLook(std::make_unique<TruneGlassButton>(QString()))
{
    m_revealLook->setSymbol(u"folder"_s);
    m_revealLook->resize(m_revealLook->sizeHint());
}

LeftoverRowDelegate::~LeftoverRowDelegate() = default;

QRectF LeftoverRowDelegate::checkboxRect(const QRect& row) const
{
    const QRectF content = QRectF(row).adjusted(0, 0, 0, -1);
    return {content.left() + horizontalPadding, content.center().y() - checkboxSize / 2, checkboxSize, checkboxSize};
}

QRectF LeftoverRowDelegate::revealRect(const QRect& row) const
{
    const QRectF content = QRectF(row).adjusted(0, 0, 0, -1);
    const QSizeF size = m_revealLook->size();
    return {content.right() - horizontalPadding - size.width(), content.center().y() - size.height() / 2, size.width(),
        size.height()};
}

QSize LeftoverRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (isHeader(index)) {
        const qreal line
            = std::max(QFontMetricsF(headerTitleFont()).height(), QFontMetricsF(headerCountFont()).height());
        return {option.rect.width(), static_cast<int>(std::ceil(2 * headerVerticalPadding + line))};
    }
    const qreal content = std::max({checkboxSize, textColumnHeight(), qreal(m_revealLook->height())});
    return {option.rect.width(), static_cast<int>(std::ceil(2 * itemVerticalPadding + content + 1))};
}

void LeftoverRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (isHeader(index))
        paintHeader(*painter, QRectF(option.rect), index);
    else
        paintItem(*painter, option, index);
    painter->restore();
}

void LeftoverRowDelegate::paintHeader(QPainter& painter, const QRectF& row, const QModelIndex& index) const
{
    painter.fillRect(row, TruneGlassTokens::surface1());
    const QRectF inner
        = row.adjusted(horizontalPadding, headerVerticalPadding, -horizontalPadding, -headerVerticalPadding);
    const QString count = index.data(LeftoverListModel::CountRole).toString();
    const QFontMetricsF countMetrics(headerCountFont());
    const qreal countWidth = countMetrics.horizontalAdvance(count);
    painter.setFont(headerCountFont());
    painter.setPen(TruneGlassTokens::textMuted());
    painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, count);

    const qreal titleWidth = std::max<qreal>(0, inner.width() - countWidth - spacing);
    painter.setFont(headerTitleFont());
    painter.setPen(m_accent);
    painter.drawText(QRectF(inner.left(), inner.top(), titleWidth, inner.height()), Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetricsF(headerTitleFont())
            .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, titleWidth));
}

void LeftoverRowDelegate::paintItem(
    QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRectF row = QRectF(option.rect);
    const QRectF content = row.adjusted(0, 0, 0, -1);
    if (option.state.testFlag(QStyle::State_HasFocus))
        paintCurrentRowMark(painter, content, m_accent);

    const bool selected = index.data(LeftoverListModel::IsSelectedRole).toBool();
    const QRectF checkbox = checkboxRect(option.rect);
    TruneSymbols::paint(painter, checkbox, selected ? u"checkmark.square.fill"_s : u"square"_s,
        selected ? m_accent : TruneGlassTokens::textMuted());

    const QRectF reveal = revealRect(option.rect);
    painter.save();
    painter.translate(reveal.topLeft());
    TruneGlassButtonLook::paint(painter, *m_revealLook, false, m_revealLook->symbol());
    painter.restore();

    const QString size = index.data(LeftoverListModel::SizeTextRole).toString();
    const QFontMetricsF sizeMetrics(sizeFont());
    const qreal sizeWidth = sizeMetrics.horizontalAdvance(size);
    const qreal sizeLeft = reveal.left() - spacing - sizeWidth;
    painter.setFont(sizeFont());
    painter.setPen(TruneGlassTokens::textSecondary());
    painter.drawText(
        QRectF(sizeLeft, content.top(), sizeWidth + 1, content.height()), Qt::AlignLeft | Qt::AlignVCenter, size);

    const qreal left = checkbox.right() + spacing;
    const qreal width = std::max<qreal>(0, sizeLeft - minimumGap - left);
    qreal top = content.center().y() - textColumnHeight() / 2;

    // The name line: the file name, then the tag in flat lists.
    const QString tag = index.data(LeftoverListModel::TagRole).toString();
    const QFontMetricsF tagMetrics(tagFont());
    const qreal tagWidth = tag.isEmpty() ? 0 : tagMetrics.horizontalAdvance(tag) + 2 * tagHorizontalPadding;
    const QFontMetricsF nameMetrics(fileNameFont());
    const qreal nameRoom = std::max<qreal>(0, width - (tag.isEmpty() ? 0 : tagWidth + tagSpacing));
    const QString name = nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, nameRoom);
    painter.setFont(fileNameFont());
    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(QRectF(left, top, nameRoom, nameLineHeight()), Qt::AlignLeft | Qt::AlignVCenter, name);
    if (!tag.isEmpty()) {
        const qreal tagHeight = tagMetrics.height() + 2 * tagVerticalPadding;
        const QRectF capsule(left + nameMetrics.horizontalAdvance(name) + tagSpacing,
            top + (nameLineHeight() - tagHeight) / 2, tagWidth, tagHeight);
        painter.fillPath(TruneGlassShapes::capsule(capsule), truneWithOpacity(m_accent, 0.12));
        painter.setFont(tagFont());
        painter.setPen(truneWithOpacity(m_accent, 0.92));
        painter.drawText(capsule, Qt::AlignCenter, tag);
    }

    top += nameLineHeight() + lineSpacing;
    const QFontMetricsF pathMetrics(pathFont());
    painter.setFont(pathFont());
    painter.setPen(TruneGlassTokens::textMuted());
    painter.drawText(QRectF(left, top, width, pathMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        pathMetrics.elidedText(index.data(LeftoverListModel::PathRole).toString(), Qt::ElideMiddle, width));

    painter.fillRect(
        QRectF(row.left(), row.bottom() - 1, row.width(), 1), truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.45));
}

bool LeftoverRowDelegate::editorEvent(
    QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (isHeader(index))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    // The box is small; a few points around it count as the box too.
    if (checkboxRect(option.rect).adjusted(-4, -4, 4, 4).contains(mouse->position())) {
        emit buttonClicked(RowButton::checkbox, index.row());
        return true;
    }
    if (revealRect(option.rect).contains(mouse->position())) {
        emit buttonClicked(RowButton::reveal, index.row());
        return true;
    }
    return false;
}

bool LeftoverRowDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && !isHeader(index) && revealRect(option.rect).contains(event->pos())) {
        const StudioPlatformTexts::Text reveal = StudioPlatformTexts::revealInFileManager();
        QToolTip::showText(
            event->globalPos(), truneText(reveal.english, reveal.turkish, m_language).toHtmlEscaped(), view);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
