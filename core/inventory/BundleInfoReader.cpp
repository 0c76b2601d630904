#include "core/inventory/BundleInfoReader.h"

#include "kit/platform/TrunePropertyList.h"
#include "kit/platform/TruneSafeFile.h"

namespace BundleInfoReader {

QVariantMap readInfoDictionary(const QString& bundlePath)
{
    const auto data
        = TruneSafeFile::readRegularFile(bundlePath + QStringLiteral("/Contents/Info.plist"), kInfoPlistSizeLimit);
    if (!data)
        return {};
    const auto root = TrunePropertyList::parse(*data, kInfoPlistLimits);
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return {};
    return root->toMap();
}

std::optional<QString> stringValue(const QVariantMap& info, const QString& key)
{
    const QVariant value = info.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace BundleInfoReader
