#include "core/sparkle/SparkleAppcastParser.h"

#include "core/records/VersionComparator.h"
#include "kit/platform/TrunePlatform.h"

#include <QLatin1StringView>
#include <QXmlStreamAttributes>
#include <QXmlStreamReader>

namespace SparkleAppcastParser {
namespace {

// Element names match in any letter case: `name`, lower-cased character by character, must equal
// the lower-case ASCII `target`. U+0130 lower-cases to two characters, so it never matches "i".
bool lowercasedEquals(QStringView name, QLatin1StringView target)
{
    if (name.size() != target.size())
        return false;
    for (qsizetype index = 0; index < name.size(); ++index) {
        const QChar character = name[index];
        if (character == QChar(0x0130) || character.toLower() != target[index])
            return false;
    }
    return true;
}

std::optional<QString> nonEmptyTrimmed(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed.toString();
}

// Collects the items of one feed from the reader's element and text events. Only what sits
// directly inside an "item" element counts: enclosures and versions nested in other elements
// describe delta or informational updates, not the item's own release.
class SparkleXMLDelegate final {
public:
    void startElement(QStringView name, const QXmlStreamAttributes& attributes)
    {
        ++m_depth;
        m_currentText.clear();
        if (lowercasedEquals(name, QLatin1StringView("item"))) {
            startItem();
            return;
        }
        if (isDirectChildOfItem() && lowercasedEquals(name, QLatin1StringView("enclosure")))
            readEnclosure(attributes);
    }

    void characters(QStringView text)
    {
        if (m_inItem)
            m_currentText += text;
    }

    void endElement(QStringView name)
    {
        const bool itemEnds = m_inItem && m_depth == m_itemDepth;
        const bool directChild = isDirectChildOfItem();
        --m_depth;
        if (!m_inItem)
            return;
        if (itemEnds)
            finishItem();
        else if (directChild)
            storeElementText(name, m_currentText);
        m_currentText.clear();
    }

    std::vector<SparkleAppcastItem> takeItems() { return std::move(m_items); }

private:
    bool isDirectChildOfItem() const { return m_inItem && m_depth == m_itemDepth + 1; }

    void startItem()
    {
        m_inItem = true;
        m_itemDepth = m_depth;
        m_itemTitle.clear();
        m_shortVersion.clear();
        m_buildVersion.clear();
        m_downloadURL.reset();
        m_releaseNotesURL.reset();
        m_linkFallbackURL.reset();
        m_minimumSystemVersion.reset();
        m_operatingSystem.reset();
        m_pubDate.reset();
        m_channel.reset();
    }

    // Attribute names are matched exactly as written. Where two names are given, the second is
    // read only when the first is missing or blank.
    void readEnclosure(const QXmlStreamAttributes& attributes)
    {
        const auto attribute = [&](QLatin1StringView name, QLatin1StringView fallback = {}) {
            std::optional<QString> value = nonEmptyTrimmed(attributes.value(name));
            if (!value && !fallback.isEmpty())
                value = nonEmptyTrimmed(attributes.value(fallback));
            return value;
        };
        if (auto url = attribute(QLatin1StringView("url")))
            m_downloadURL = std::move(url);
        if (auto shortVersion
            = attribute(QLatin1StringView("sparkle:shortVersionString"), QLatin1StringView("shortVersionString")))
            m_shortVersion = std::move(*shortVersion);
        if (auto version = attribute(QLatin1StringView("sparkle:version"), QLatin1StringView("version")))
            m_buildVersion = std::move(*version);
        if (auto system = attribute(QLatin1StringView("sparkle:os"), QLatin1StringView("os")))
            m_operatingSystem = std::move(system);
        if (auto minimum = attribute(QLatin1StringView("sparkle:minimumSystemVersion")))
            m_minimumSystemVersion = std::move(minimum);
    }

    void storeElementText(QStringView name, QStringView text)
    {
        std::optional<QString> value = nonEmptyTrimmed(text);
        if (!value)
            return;
        if (lowercasedEquals(name, QLatin1StringView("title")))
            m_itemTitle = std::move(*value);
        else if (lowercasedEquals(name, QLatin1StringView("sparkle:shortversionstring")))
            m_shortVersion = std::move(*value);
        else if (lowercasedEquals(name, QLatin1StringView("sparkle:version")))
            m_buildVersion = std::move(*value);
        else if (lowercasedEquals(name, QLatin1StringView("sparkle:releasenoteslink")))
            m_releaseNotesURL = std::move(value);
        else if (lowercasedEquals(name, QLatin1StringView("sparkle:minimumsystemversion")))
            m_minimumSystemVersion = std::move(value);
        else if (lowercasedEquals(name, QLatin1StringView("link")))
            m_linkFallbackURL = std::move(value);
        else if (lowercasedEquals(name, QLatin1StringView("pubdate")))
            m_pubDate = std::move(value);
        else if (lowercasedEquals(name, QLatin1StringView("sparkle:channel")))
            m_channel = std::move(value);
    }

    void finishItem()
    {
        m_inItem = false;
        const QString& shortVersion = m_shortVersion.isEmpty() ? m_buildVersion : m_shortVersion;
        if (shortVersion.isEmpty())
            return;
        m_items.push_back(SparkleAppcastItem{
            .title = m_itemTitle,
            .shortVersionString = shortVersion,
            .buildVersion = m_buildVersion,
            .downloadURL = m_downloadURL,
            .releaseNotesURL = m_releaseNotesURL ? m_releaseNotesURL : m_linkFallbackURL,
            .minimumSystemVersion = m_minimumSystemVersion,
            .operatingSystem = m_operatingSystem,
            .pubDate = m_pubDate,
            .channel = m_channel,
        });
    }

    std::vector<SparkleAppcastItem> m_items;
    bool m_inItem = false;
    int m_depth = 0;     // of the element being read; the document element is at 1
    int m_itemDepth = 0; // of the open item
    QString m_currentText;
    QString m_itemTitle;
    QString m_shortVersion;
    QString m_buildVersion;
    std::optional<QString> m_downloadURL;
    std::optional<QString> m_releaseNotesURL;
    std::optional<QString> m_linkFallbackURL;
    std::optional<QString> m_minimumSystemVersion;
    std::optional<QString> m_operatingSystem;
    std::optional<QString> m_pubDate;
    std::optional<QString> m_channel;
};

bool runsOnThisSystem(const std::optional<QString>& operatingSystem)
{
    if (!operatingSystem)
        return true;
    const QString name = operatingSystem->trimmed().toLower();
    return name.isEmpty() || name == QLatin1StringView("macos") || name == QLatin1StringView("osx");
}

bool isCompatible(const SparkleAppcastItem& item, QStringView currentMacOSVersion, bool includePrereleases)
{
    if (item.effectiveVersion().isEmpty())
        return false;
    if (!runsOnThisSystem(item.operatingSystem))
        return false;
    if (item.minimumSystemVersion && VersionComparator::isNewer(*item.minimumSystemVersion, currentMacOSVersion))
        return false;
    if (includePrereleases)
        return true;
    // A release on a named channel reaches only the users who opted into that channel.
    const bool onNamedChannel = item.channel && !item.channel->trimmed().isEmpty();
    return !onNamedChannel && !VersionComparator::isPrerelease(item.effectiveVersion());
}

// Whether `candidate` orders after `best`: by effective version, then by build when both have one.
bool orderedAfter(const SparkleAppcastItem& candidate, const SparkleAppcastItem& best)
{
    ComparisonResult order = VersionComparator::compare(best.effectiveVersion(), candidate.effectiveVersion());
    if (order == ComparisonResult::orderedSame && !best.buildVersion.isEmpty() && !candidate.buildVersion.isEmpty())
        order = VersionComparator::compare(best.buildVersion, candidate.buildVersion);
    return order == ComparisonResult::orderedAscending;
}

} // namespace

QString currentMacOSVersionString()
{
    return TrunePlatform::operatingSystemVersion();
}

std::vector<SparkleAppcastItem> parseItems(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > maxFeedBytes)
        return {};
    SparkleXMLDelegate delegate;
    // Names arrive as written, prefix included. The reader never loads external entities (no
    // entity resolver is set), so a document type or entity pointing elsewhere fetches nothing.
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            delegate.startElement(reader.qualifiedName(), reader.attributes());
            break;
        case QXmlStreamReader::EndElement:
            delegate.endElement(reader.qualifiedName());
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isCDATA())
                delegate.characters(reader.text());
            break;
        default:
            break;
        }
    }
    return delegate.takeItems();
}

std::optional<SparkleAppcastItem> selectHighestCompatible(
    const std::vector<SparkleAppcastItem>& items, QStringView currentMacOSVersion, bool includePrereleases)
{
    const SparkleAppcastItem* best = nullptr;
    for (const SparkleAppcastItem& item : items) {
        if (!isCompatible(item, currentMacOSVersion, includePrereleases))
            continue;
        if (!best || orderedAfter(item, *best))
            best = &item;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

std::optional<SparkleAppcastItem> latestCompatibleItem(
    const QByteArray& data, QStringView currentMacOSVersion, bool includePrereleases)
{
    return selectHighestCompatible(parseItems(data), currentMacOSVersion, includePrereleases);
}

bool isItemNewer(const SparkleAppcastItem& item, QStringView installedShortVersion, QStringView installedBuildVersion)
{
    const QStringView itemShort = QStringView(item.shortVersionString).trimmed();
    const QStringView installedShort = installedShortVersion.trimmed();
    if (!itemShort.isEmpty() && !installedShort.isEmpty()) {
        switch (VersionComparator::compare(itemShort, installedShort)) {
        case ComparisonResult::orderedDescending:
            return true;
        case ComparisonResult::orderedAscending:
            return false;
        case ComparisonResult::orderedSame:
            break;
        }
        const QStringView itemBuild = QStringView(item.buildVersion).trimmed();
        const QStringView installedBuild = installedBuildVersion.trimmed();
        return !itemBuild.isEmpty() && !installedBuild.isEmpty()
            && VersionComparator::isNewer(itemBuild, installedBuild);
    }
    return VersionComparator::isNewer(
        item.effectiveVersion(), installedShort.isEmpty() ? installedBuildVersion : installedShort);
}

} // namespace SparkleAppcastParser
