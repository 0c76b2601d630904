#include "core/records/LeftoverFileItem.h"

#include <limits>

LeftoverFileItem::LeftoverFileItem(
    std::optional<QString> id, QString path, LeftoverCategory category, qint64 sizeBytes, bool isSelected)
    : path(std::move(path))
    , category(category)
    , sizeBytes(sizeBytes)
    , isSelected(isSelected)
    , m_id(id ? std::move(*id) : this->path)
{
}

QString LeftoverFileItem::fileName() const
{
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    if (end == 0)
        return path.isEmpty() ? QString() : QStringLiteral("/");
    const qsizetype start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return path.mid(start, end - start);
}

size_t qHash(const LeftoverFileItem& item, size_t seed)
{
    return qHashMulti(seed, item.id(), item.path, qToUnderlying(item.category), item.sizeBytes, item.isSelected);
}

QJsonValue TruneJsonCoding<LeftoverFileItem>::encode(const LeftoverFileItem& item)
{
    TruneJsonObjectWriter out;
    out.write("id", item.id());
    out.write("path", item.path);
    out.write("category", item.category);
    out.write("sizeBytes", item.sizeBytes);
    out.write("isSelected", item.isSelected);
    return out.object();
}

TruneJsonResult<LeftoverFileItem> TruneJsonCoding<LeftoverFileItem>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<LeftoverFileItem>(json, [](TruneJsonObjectReader& in) {
        // Braces read the keys in order, so the first bad key is the one reported.
        return LeftoverFileItem{in.required<QString>("id"), in.required<QString>("path"),
            in.required<LeftoverCategory>("category"), in.required<qint64>("sizeBytes"),
            in.required<bool>("isSelected")};
    });
}

TrashLeftoverAlert::TrashLeftoverAlert(QUuid id, QString appName, QString bundleID, QString trashedAppPath,
    QDateTime detectedAt, std::vector<LeftoverFileItem> leftovers)
    : m_id(id)
    , m_appName(std::move(appName))
    , m_bundleID(std::move(bundleID))
    , m_trashedAppPath(std::move(trashedAppPath))
    , m_detectedAt(std::move(detectedAt))
    , m_leftovers(std::move(leftovers))
{
}

qint64 TrashLeftoverAlert::totalSizeBytes() const
{
    qint64 total = 0;
    for (const LeftoverFileItem& item : m_leftovers) {
        if (__builtin_add_overflow(total, item.sizeBytes, &total))
            total = item.sizeBytes > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    }
    return total;
}

size_t qHash(const TrashLeftoverAlert& alert, size_t seed)
{
    return qHashMulti(seed, alert.id(), alert.appName(), alert.bundleID(), alert.trashedAppPath(), alert.detectedAt(),
        qHashRange(alert.leftovers().begin(), alert.leftovers().end()));
}
