#include "core/homebrew/BrewCaskArtifactDTO.h"

namespace {

// A mixed "app" list: strings are taken, a nested list gives its first element when that is a
// string, and anything else (a {"target": ...} object, null, a number) is passed over.
QStringList appNamesOfMixedList(const QJsonArray& list)
{
    QStringList names;
    for (const QJsonValue element : list) {
        if (element.isString()) {
            names.append(element.toString());
        } else if (element.isArray()) {
            const QJsonArray nested = element.toArray();
            if (!nested.isEmpty() && nested.first().isString())
                names.append(nested.first().toString());
        }
    }
    return names;
}

} // namespace

TruneJsonResult<BrewCaskArtifactDTO> TruneJsonCoding<BrewCaskArtifactDTO>::decode(const QJsonValue& json)
{
    if (!json.isObject())
        return BrewCaskArtifactDTO{};
    const QJsonValue app = json.toObject().value(QLatin1String("app"));
    if (app.isArray())
        return BrewCaskArtifactDTO{appNamesOfMixedList(app.toArray())};
    if (app.isString())
        return BrewCaskArtifactDTO{{app.toString()}};
    return BrewCaskArtifactDTO{};
}
