#pragma once

// Hosts a panel's content. Qt already hands the first click into an inactive window to the
// control under the pointer, and a press never moves a window by itself (a draggable panel
// decides that), so the host only lays the content out edge to edge.

#include <QWidget>

class TruneFirstClickHostingView final : public QWidget {
    Q_OBJECT

public:
    explicit TruneFirstClickHostingView(QWidget* content, QWidget* parent = nullptr);
};
