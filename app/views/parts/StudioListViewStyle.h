#pragma once

#include <Qt>

class QColor;
class QListView;
class QPainter;
class QRectF;

// Sets up a list of the studio's glass cards: no frame, no item selection of its own (rows show
// their state themselves), scrolling by pixels with a slim translucent scroll bar shown as
// `verticalScrollBar` says, and a transparent background so the card shows through.
void styleStudioListView(QListView& list, Qt::ScrollBarPolicy verticalScrollBar = Qt::ScrollBarAlwaysOn);

// Marks the keyboard's current row of such a list, plainly: a light fill and an accent ring just
// inside `row`.
void paintCurrentRowMark(QPainter& painter, const QRectF& row, const QColor& accent);
