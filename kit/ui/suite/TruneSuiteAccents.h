#pragma once

#include "kit/ui/TruneGlassTokens.h"

// The fixed accents of the suite widgets, next to the glass tokens: one per sibling app they drive,
// and the green of sparse disk images.
namespace TruneSuiteAccents {

inline QColor lumbraViolet() // 169, 139, 255: Lumbra and its virtual-memory expansion
{
    return truneColor(0xA98BFF);
}

inline QColor haltrixPink() // 255, 107, 129
{
    return truneColor(0xFF6B81);
}

inline QColor vantorCyan() // 56, 232, 255: Vantor, and swap in the memory widgets
{
    return truneColor(0x38E8FF);
}

inline QColor sparseDiskGreen() // 71, 230, 193
{
    return truneColor(0x47E6C1);
}

} // namespace TruneSuiteAccents
