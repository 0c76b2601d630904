#include "core/records/HomebrewItem.h"

HomebrewItem::HomebrewItem(QString name, std::optional<QString> fullName, bool isCask,
    std::optional<QString> installedVersion, QString latestVersion, bool isOutdated, QString description,
    std::optional<QString> homepage, bool isInstalled, QStringList appArtifacts, bool installedOnRequest)
    : name(std::move(name))
    , fullName(fullName ? std::move(*fullName) : this->name)
    , isCask(isCask)
    , installedVersion(std::move(installedVersion))
    , latestVersion(std::move(latestVersion))
    , isOutdated(isOutdated)
    , description(std::move(description))
    , homepage(std::move(homepage))
    , isInstalled(isInstalled)
    , appArtifacts(std::move(appArtifacts))
    , installedOnRequest(installedOnRequest)
    , m_id((isCask ? QStringLiteral("cask::") : QStringLiteral("formula::")) + this->name)
{
}

size_t qHash(const HomebrewItem& item, size_t seed)
{
    return qHashMulti(seed, item.id(), item.name, item.fullName, item.isCask, item.installedVersion.has_value(),
        item.installedVersion.value_or(QString()), item.latestVersion, item.isOutdated, item.description,
        item.homepage.has_value(), item.homepage.value_or(QString()), item.isInstalled, item.appArtifacts,
        item.installedOnRequest);
}

QJsonValue TruneJsonCoding<HomebrewItem>::encode(const HomebrewItem& item)
{
    TruneJsonObjectWriter out;
    out.write("id", item.id());
    out.write("name", item.name);
    out.write("fullName", item.fullName);
    out.write("isCask", item.isCask);
    out.write("installedVersion", item.installedVersion);
    out.write("latestVersion", item.latestVersion);
    out.write("isOutdated", item.isOutdated);
    out.write("description", item.description);
    out.write("homepage", item.homepage);
    out.write("isInstalled", item.isInstalled);
    out.write("appArtifacts", item.appArtifacts);
    out.write("installedOnRequest", item.installedOnRequest);
    return out.object();
}

TruneJsonResult<HomebrewItem> TruneJsonCoding<HomebrewItem>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<HomebrewItem>(json, [](TruneJsonObjectReader& in) {
        const QString id = in.required<QString>("id");
        // Braces read the keys in order, so the first bad key is the one reported.
        HomebrewItem item{in.required<QString>("name"), in.required<QString>("fullName"), in.required<bool>("isCask"),
            in.optional<QString>("installedVersion"), in.required<QString>("latestVersion"),
            in.required<bool>("isOutdated"), in.required<QString>("description"), in.optional<QString>("homepage"),
            in.required<bool>("isInstalled"), in.required<QStringList>("appArtifacts"),
            in.required<bool>("installedOnRequest")};
        item.m_id = id;
        return item;
    });
}
