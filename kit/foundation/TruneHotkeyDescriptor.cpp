#include "kit/foundation/TruneHotkeyDescriptor.h"

#include <limits>

namespace {

constexpr qint64 largestUnsigned32 = std::numeric_limits<quint32>::max();

// A key's whole number as an unsigned 32-bit value, or the key's error when it is out of range.
std::expected<quint32, TruneJsonError> unsigned32(const char* key, qint64 value)
{
    if (value < 0 || value > largestUnsigned32) {
        return std::unexpected(
            TruneJsonError{{}, QStringLiteral("%1 is not an unsigned 32-bit number").arg(value)}.inKey(
                QLatin1String(key)));
    }
    return static_cast<quint32>(value);
}

} // namespace

QJsonValue TruneJsonCoding<TruneHotkeyDescriptor>::encode(const TruneHotkeyDescriptor& descriptor)
{
    TruneJsonObjectWriter out;
    out.write("keyCode", qint64(descriptor.keyCode));
    out.write("carbonModifiers", qint64(descriptor.carbonModifiers));
    return out.object();
}

TruneJsonResult<TruneHotkeyDescriptor> TruneJsonCoding<TruneHotkeyDescriptor>::decode(const QJsonValue& json)
{
    struct Raw {
        qint64 keyCode = 0;
        qint64 carbonModifiers = 0;
    };
    const TruneJsonResult<Raw> raw = TruneJsonObjectReader::read<Raw>(json, [](TruneJsonObjectReader& in) {
        return Raw{in.required<qint64>("keyCode"), in.required<qint64>("carbonModifiers")};
    });
    if (!raw)
        return std::unexpected(raw.error());
    const auto keyCode = unsigned32("keyCode", raw->keyCode);
    if (!keyCode)
        return std::unexpected(keyCode.error());
    const auto carbonModifiers = unsigned32("carbonModifiers", raw->carbonModifiers);
    if (!carbonModifiers)
        return std::unexpected(carbonModifiers.error());
    return TruneHotkeyDescriptor{*keyCode, *carbonModifiers};
}
