#pragma once

class QListView;

// Sets up a list of the studio's glass cards: no frame, no item selection of its own (rows show
// their state themselves), scrolling by pixels with a slim translucent scroll bar that stays
// visible, and a transparent background so the card shows through.
void styleStudioListView(QListView& list);
