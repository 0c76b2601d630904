#pragma once

#include "kit/platform/TruneJson.h"

#include <QHashFunctions>
#include <QtGlobal>

// A system-wide keyboard shortcut: a virtual key code of the ANSI layout (32 is the U key) and a
// modifier mask in which Command is 0x100, Shift 0x200 and Option 0x800.
struct TruneHotkeyDescriptor {
    quint32 keyCode = 0;
    quint32 carbonModifiers = 0;

    static constexpr quint32 commandFlag = 0x100;
    static constexpr quint32 shiftFlag = 0x200;
    static constexpr quint32 optionFlag = 0x800;
    static constexpr quint32 cmdShiftFlag = commandFlag | shiftFlag;
    static constexpr quint32 cmdOptionFlag = commandFlag | optionFlag;

    bool operator==(const TruneHotkeyDescriptor&) const = default;
};

inline size_t qHash(const TruneHotkeyDescriptor& descriptor, size_t seed = 0) noexcept
{
    return qHashMulti(seed, descriptor.keyCode, descriptor.carbonModifiers);
}

// {"keyCode": 32, "carbonModifiers": 2304}: both keys required, both whole numbers that fit an
// unsigned 32-bit value.
template <> struct TruneJsonCoding<TruneHotkeyDescriptor> {
    static QJsonValue encode(const TruneHotkeyDescriptor& descriptor);
    static TruneJsonResult<TruneHotkeyDescriptor> decode(const QJsonValue& json);
};
