#include "kit/foundation/TruneApplicationName.h"

#include "kit/platform/TrunePlatform.h"

#include <optional>

namespace {

std::optional<QString> infoText(const TruneBundle& bundle, const char* key)
{
    const QVariant value = bundle.infoValue(QLatin1String(key));
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace

QString truneApplicationName(const TruneBundle& bundle)
{
    if (std::optional<QString> displayName = infoText(bundle, "CFBundleDisplayName"))
        return *displayName;
    if (std::optional<QString> bundleName = infoText(bundle, "CFBundleName"))
        return *bundleName;
    return TrunePlatform::processName();
}
