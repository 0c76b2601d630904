#include "app/views/parts/StudioListViewStyle.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QListView>
#include <QPainter>

using namespace Qt::StringLiterals;

void styleStudioListView(QListView& list, Qt::ScrollBarPolicy verticalScrollBar)
{
    list.setFrameShape(QFrame::NoFrame);
    list.setSelectionMode(QAbstractItemView::NoSelection);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(verticalScrollBar);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.viewport()->setAutoFillBackground(false);
    list.setStyleSheet(u"QListView { background: transparent; }"
                       "QScrollBar:vertical { background: transparent; width: 9px; margin: 2px 2px 2px 1px; }"
                       "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.22); border-radius: 3px;"
                       " min-height: 24px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"_s);
}

void paintCurrentRowMark(QPainter& painter, const QRectF& row, const QColor& accent)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inset = row.adjusted(2, 2, -2, -2);
    painter.fillPath(TruneGlassShapes::roundedRect(inset, 6), truneColor(0xFFFFFF, 0.08));
    TruneGlassShapes::paintFocusRing(painter, inset, 6, truneWithOpacity(accent, 0.9));
    painter.restore();
}
