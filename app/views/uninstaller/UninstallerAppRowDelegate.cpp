#include "app/views/uninstaller/UninstallerAppRowDelegate.h"

#include "app/models/UninstallerAppListModel.h"
#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal horizontalPadding = 12;
constexpr qreal verticalPadding = 8;
constexpr qreal spacing = 10;
constexpr qreal lineSpacing = 1.5;
constexpr qreal detailSpacing = 6;

QFont nameFont(bool selected)
{
    return truneFont(12.5, selected ? QFont::DemiBold : QFont::Medium);
}

QFont sizeFont()
{
    return truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced);
}

QFont dateFont()
{
    return truneFont(10, QFont::Normal, TruneFontDesign::monospaced);
}

qreal detailLineHeight()
{
    return std::max(QFontMetricsF(sizeFont()).height(), QFontMetricsF(dateFont()).height());
}

} // namespace

UninstallerAppRowDelegate::UninstallerAppRowDelegate(const QColor& accent, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_accent(accent)
{
}

QSize UninstallerAppRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    const qreal texts = QFontMetricsF(nameFont(true)).height() + lineSpacing + detailLineHeight();
    const qreal height = 2 * verticalPadding + std::max(iconSize, texts) + 1;
    return {option.rect.width(), static_cast<int>(std::ceil(height))};
}

void UninstallerAppRowDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = index.data(UninstallerAppListModel::IsSelectedRole).toBool();
    const QRectF row = QRectF(option.rect);
    const QRectF content = row.adjusted(0, 0, 0, -1);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selected)
        painter->fillRect(content, truneWithOpacity(m_accent, 0.22));
    if (option.state.testFlag(QStyle::State_HasFocus))
        paintCurrentRowMark(*painter, content, m_accent);

    const QRectF icon(content.left() + horizontalPadding, content.center().y() - iconSize / 2, iconSize, iconSize);
    AppIconThumbnail::paintTile(*painter, icon, index.data(UninstallerAppListModel::PathRole).toString());

    const QFont name = nameFont(selected);
    const QFontMetricsF nameMetrics(name);
    const qreal textsHeight = nameMetrics.height() + lineSpacing + detailLineHeight();
    const qreal left = icon.right() + spacing;
    const qreal width = std::max<qreal>(0, content.right() - horizontalPadding - left);
    qreal top = content.center().y() - textsHeight / 2;
    painter->setFont(name);
    painter->setPen(TruneGlassTokens::textPrimary());
    painter->drawText(QRectF(left, top, width, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, width));

    top += nameMetrics.height() + lineSpacing;
    const QString size = index.data(UninstallerAppListModel::SizeTextRole).toString();
    const QFontMetricsF sizeMetrics(sizeFont());
    painter->setFont(sizeFont());
    painter->setPen(index.data(UninstallerAppListModel::SizeHighlightedRole).toBool() ? truneWithOpacity(m_accent, 0.92)
                                                                                      : TruneGlassTokens::textMuted());
    const QRectF line(left, top, width, detailLineHeight());
    painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter, size);
    const QString date = index.data(UninstallerAppListModel::DateTextRole).toString();
    if (!date.isEmpty()) {
        const qreal dateLeft = left + sizeMetrics.horizontalAdvance(size) + detailSpacing;
        const qreal dateWidth = std::max<qreal>(0, line.right() - dateLeft);
        painter->setFont(dateFont());
        painter->setPen(TruneGlassTokens::textMuted());
        painter->drawText(QRectF(dateLeft, top, dateWidth, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(dateFont()).elidedText(date, Qt::ElideRight, dateWidth));
    }

    painter->fillRect(
        QRectF(row.left(), row.bottom() - 1, row.width(), 1), truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.45));
    painter->restore();
}
