#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QLabel;
class QMimeData;
class UninstallerViewState;

// The uninstaller's drop zone: a glass card that asks for an .app and accepts drags carrying local
// files. While such a drag hovers over it, its icon turns green and a dashed accent border rings it.
class UninstallerDropZone final : public QWidget {
    Q_OBJECT

public:
    // `handleDrop` receives a drop's data and answers whether the drop is accepted.
    UninstallerDropZone(UninstallerViewState& uiState, const QColor& accent,
        std::function<bool(const QMimeData&)> handleDrop, QWidget* parent = nullptr);

    void setLanguage(TruneLanguage language);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showTargeted(bool targeted);

    UninstallerViewState& m_uiState;
    QColor m_accent;
    std::function<bool(const QMimeData&)> m_handleDrop;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_hint;
    QWidget* m_border;
};
