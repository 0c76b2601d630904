#include "app/views/uninstaller/UninstallerViewState.h"

void UninstallerViewState::setDropTargeted(bool targeted)
{
    if (targeted == m_isDropTargeted)
        return;
    m_isDropTargeted = targeted;
    emit dropTargetedChanged(targeted);
}

void UninstallerViewState::setConfirmTrashSheet(bool presented)
{
    if (presented == m_confirmTrashSheet)
        return;
    m_confirmTrashSheet = presented;
    emit confirmTrashSheetChanged(presented);
}
