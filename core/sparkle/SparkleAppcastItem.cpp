#include "core/sparkle/SparkleAppcastItem.h"

const QString& SparkleAppcastItem::effectiveVersion() const
{
    return shortVersionString.isEmpty() ? buildVersion : shortVersionString;
}

size_t qHash(const SparkleAppcastItem& item, size_t seed)
{
    const auto optional
        = [](const std::optional<QString>& text) { return std::pair(text.has_value(), text.value_or(QString())); };
    return qHashMulti(seed, item.title, item.shortVersionString, item.buildVersion, optional(item.downloadURL),
        optional(item.releaseNotesURL), optional(item.minimumSystemVersion), optional(item.operatingSystem),
        optional(item.pubDate), optional(item.channel));
}
