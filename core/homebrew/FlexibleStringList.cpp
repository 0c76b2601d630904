#include "core/homebrew/FlexibleStringList.h"

std::optional<QString> FlexibleStringList::firstNonEmpty() const
{
    for (const QString& value : values) {
        if (!value.trimmed().isEmpty())
            return value;
    }
    return std::nullopt;
}

TruneJsonResult<FlexibleStringList> TruneJsonCoding<FlexibleStringList>::decode(const QJsonValue& json)
{
    if (json.isString())
        return FlexibleStringList{{json.toString()}};
    if (!json.isArray())
        return FlexibleStringList{};
    const QJsonArray array = json.toArray();
    QStringList values;
    values.reserve(array.size());
    for (const QJsonValue element : array) {
        if (!element.isString())
            return FlexibleStringList{};
        values.append(element.toString());
    }
    return FlexibleStringList{values};
}
