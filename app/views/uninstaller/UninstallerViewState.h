#pragma once

#include <QObject>

// The uninstaller tab's own transient state, shared by its two columns: whether a drag carrying
// files hovers over the drop zone, and whether the move-to-Trash confirmation is up.
class UninstallerViewState final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    bool isDropTargeted() const { return m_isDropTargeted; }
    void setDropTargeted(bool targeted);

    bool confirmTrashSheet() const { return m_confirmTrashSheet; }
    void setConfirmTrashSheet(bool presented);

signals:
    void dropTargetedChanged(bool targeted);
    void confirmTrashSheetChanged(bool presented);

private:
    bool m_isDropTargeted = false;
    bool m_confirmTrashSheet = false;
};
