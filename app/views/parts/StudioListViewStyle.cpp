#include "app/views/parts/StudioListViewStyle.h"

#include <QListView>

using namespace Qt::StringLiterals;

void styleStudioListView(QListView& list)
{
    list.setFrameShape(QFrame::NoFrame);
    list.setSelectionMode(QAbstractItemView::NoSelection);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.viewport()->setAutoFillBackground(false);
    list.setStyleSheet(u"QListView { background: transparent; }"
                       "QScrollBar:vertical { background: transparent; width: 9px; margin: 2px 2px 2px 1px; }"
                       "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 0.22); border-radius: 3px;"
                       " min-height: 24px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"_s);
}
