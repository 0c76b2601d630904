#include "core/sparkle/SparkleAppcastParser.h"

#include "core/records/VersionComparator.h"
#include "kit/platform/TrunePlatform.h"

#include <QLatin1StringView>

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace SparkleAppcastParser {
namespace {

std::string_view utf8View(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

std::string_view utf8View(const xmlChar* begin, const xmlChar* end)
{
    return {reinterpret_cast<const char*>(begin), static_cast<size_t>(end - begin)};
}

QString textOf(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

char asciiLower(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : byte;
}

// A name as written in the document: the parser hands the prefix and the local part apart.
struct XmlName {
    std::string_view prefix;
    std::string_view local;

    bool equals(std::string_view name) const
    {
        if (prefix.empty())
            return local == name;
        return name.size() == prefix.size() + 1 + local.size() && name.starts_with(prefix) && name[prefix.size()] == ':'
            && name.ends_with(local);
    }

    bool isAscii() const
    {
        const auto ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
        return std::ranges::all_of(prefix, ascii) && std::ranges::all_of(local, ascii);
    }

    QString toString() const
    {
        return prefix.empty() ? textOf(local) : textOf(prefix) + QLatin1Char(':') + textOf(local);
    }
};

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

// A name as the parser reads it (UTF-8), lower-cased once for lowercasedEquals against several
// targets. A name beyond ASCII is longer in UTF-8 than in UTF-16, and a few such names lower-case
// to ASCII letters (the Kelvin sign to "k"), so those are compared as strings.
class FoldedName {
public:
    explicit FoldedName(const XmlName& name)
        : m_name(name)
        , m_length(name.prefix.empty() ? name.local.size() : name.prefix.size() + 1 + name.local.size())
    {
        if (m_length > m_folded.size())
            return;
        char* out = m_folded.data();
        if (!name.prefix.empty()) {
            out = std::ranges::transform(name.prefix, out, asciiLower).out;
            *out++ = ':';
        }
        std::ranges::transform(name.local, out, asciiLower);
    }

    bool equals(QLatin1StringView target) const
    {
        if (m_length > size_t(target.size()))
            return !m_name.isAscii() && lowercasedEquals(m_name.toString(), target);
        return std::string_view(m_folded.data(), m_length) == std::string_view(target.data(), target.size());
    }

private:
    XmlName m_name;
    size_t m_length;
    std::array<char, 32> m_folded; // longer names match no target as ASCII
};

std::optional<QString> nonEmptyTrimmed(QString text)
{
    text = std::move(text).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

// The attributes of one element as the parser hands them over: name parts and the value's bounds,
// five pointers to each. Entities declared in the document stay references in the value (the
// parser substitutes none), so a value holding one is expanded here the way the document defines
// it; the parser has refused references to external entities in values already.
class XmlAttributes {
public:
    XmlAttributes(xmlDoc* document, const xmlChar** fields, int count)
        : m_document(document)
        , m_fields(fields)
        , m_count(count)
    {
    }

    // The value of the attribute named exactly `name`; an empty string when there is none.
    QString value(std::string_view name) const
    {
        for (int index = 0; index < m_count; ++index) {
            const xmlChar* const* field = m_fields + 5 * index;
            if (XmlName{utf8View(field[1]), utf8View(field[0])}.equals(name))
                return expanded(utf8View(field[3], field[4]));
        }
        return {};
    }

private:
    QString expanded(std::string_view value) const
    {
        if (value.find('&') == std::string_view::npos)
            return textOf(value);
        xmlNode* nodes
            = xmlStringLenGetNodeList(m_document, reinterpret_cast<const xmlChar*>(value.data()), int(value.size()));
        xmlChar* text = xmlNodeListGetString(m_document, nodes, 1);
        QString result = textOf(utf8View(text));
        xmlFree(text);
        xmlFreeNodeList(nodes);
        return result;
    }

    xmlDoc* m_document;
    const xmlChar** m_fields;
    int m_count;
};

// Collects the items of one feed from the parser's element and text events. Only what sits
// directly inside an "item" element counts: enclosures and versions nested in other elements
// describe delta or informational updates, not the item's own release.
class SparkleXMLDelegate final {
public:
    void startElement(const XmlName& name, const XmlAttributes& attributes)
    {
        ++m_depth;
        m_currentText.clear();
        const FoldedName folded(name);
        if (folded.equals(QLatin1StringView("item"))) {
            startItem();
            return;
        }
        if (isDirectChildOfItem() && folded.equals(QLatin1StringView("enclosure")))
            readEnclosure(attributes);
    }

    void characters(std::string_view text)
    {
        if (m_inItem)
            m_currentText += text;
    }

    void endElement(const XmlName& name)
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
    enum class TextField {
        none,
        title,
        shortVersion,
        buildVersion,
        releaseNotes,
        minimumSystem,
        link,
        pubDate,
        channel
    };

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
    void readEnclosure(const XmlAttributes& attributes)
    {
        const auto attribute = [&](std::string_view name, std::string_view fallback = {}) {
            std::optional<QString> value = nonEmptyTrimmed(attributes.value(name));
            if (!value && !fallback.empty())
                value = nonEmptyTrimmed(attributes.value(fallback));
            return value;
        };
        if (auto url = attribute("url"))
            m_downloadURL = std::move(url);
        if (auto shortVersion = attribute("sparkle:shortVersionString", "shortVersionString"))
            m_shortVersion = std::move(*shortVersion);
        if (auto version = attribute("sparkle:version", "version"))
            m_buildVersion = std::move(*version);
        if (auto system = attribute("sparkle:os", "os"))
            m_operatingSystem = std::move(system);
        if (auto minimum = attribute("sparkle:minimumSystemVersion"))
            m_minimumSystemVersion = std::move(minimum);
    }

    static TextField textFieldNamed(const XmlName& name)
    {
        const FoldedName folded(name);
        static constexpr std::pair<QLatin1StringView, TextField> fields[] = {
            {QLatin1StringView("title"), TextField::title},
            {QLatin1StringView("sparkle:shortversionstring"), TextField::shortVersion},
            {QLatin1StringView("sparkle:version"), TextField::buildVersion},
            {QLatin1StringView("sparkle:releasenoteslink"), TextField::releaseNotes},
            {QLatin1StringView("sparkle:minimumsystemversion"), TextField::minimumSystem},
            {QLatin1StringView("link"), TextField::link},
            {QLatin1StringView("pubdate"), TextField::pubDate},
            {QLatin1StringView("sparkle:channel"), TextField::channel},
        };
        for (const auto& [fieldName, field] : fields) {
            if (folded.equals(fieldName))
                return field;
        }
        return TextField::none;
    }

    // Only the text of a known element is decoded.
    void storeElementText(const XmlName& name, std::string_view text)
    {
        const TextField field = textFieldNamed(name);
        if (field == TextField::none)
            return;
        std::optional<QString> value = nonEmptyTrimmed(textOf(text));
        if (!value)
            return;
        switch (field) {
        case TextField::title:
            m_itemTitle = std::move(*value);
            break;
        case TextField::shortVersion:
            m_shortVersion = std::move(*value);
            break;
        case TextField::buildVersion:
            m_buildVersion = std::move(*value);
            break;
        case TextField::releaseNotes:
            m_releaseNotesURL = std::move(value);
            break;
        case TextField::minimumSystem:
            m_minimumSystemVersion = std::move(value);
            break;
        case TextField::link:
            m_linkFallbackURL = std::move(value);
            break;
        case TextField::pubDate:
            m_pubDate = std::move(value);
            break;
        case TextField::channel:
            m_channel = std::move(value);
            break;
        case TextField::none:
            break;
        }
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
    std::string m_currentText;
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

// The callbacks receive the parser's context (libxml2's own handlers, kept for the document type,
// need it), and the delegate rides along as its private data. Entities are parsed in a context of
// their own that shares the private data and the document.
xmlParserCtxt* contextOf(void* userData)
{
    return static_cast<xmlParserCtxt*>(userData);
}

SparkleXMLDelegate& delegateOf(void* userData)
{
    return *static_cast<SparkleXMLDelegate*>(contextOf(userData)->_private);
}

void onStartElement(void* userData, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int,
    const xmlChar**, int attributeCount, int, const xmlChar** attributes)
{
    delegateOf(userData).startElement(XmlName{utf8View(prefix), utf8View(localName)},
        XmlAttributes(contextOf(userData)->myDoc, attributes, attributeCount));
}

void onEndElement(void* userData, const xmlChar* localName, const xmlChar* prefix, const xmlChar*)
{
    delegateOf(userData).endElement(XmlName{utf8View(prefix), utf8View(localName)});
}

void onCharacters(void* userData, const xmlChar* text, int length)
{
    delegateOf(userData).characters(utf8View(text, text + length));
}

void ignoreCDATA(void*, const xmlChar*, int)
{
}

// A malformed document ends the parse at its first error, silently.
void ignoreError(void*, xmlError*)
{
}

// Elements, text and CDATA go to the delegate; entity declarations go to libxml2's own handlers,
// which keep them in the document's internal subset so references to them expand as text. The
// external subset and external entities are never loaded.
void useFeedHandler(xmlSAXHandler& handler)
{
    xmlSAXVersion(&handler, 2);
    handler.startElementNs = onStartElement;
    handler.endElementNs = onEndElement;
    handler.characters = onCharacters;
    handler.ignorableWhitespace = onCharacters;
    handler.cdataBlock = ignoreCDATA;
    handler.reference = nullptr;
    handler.comment = nullptr;
    handler.processingInstruction = nullptr;
    handler.externalSubset = nullptr;
    handler.resolveEntity = nullptr;
    handler.serror = ignoreError;
}

// No entity substitution (declared entities reach the delegate as text through the handler's
// events, bounded by libxml2's checks against entity loops and amplification), no document type
// loaded or validated, no network, no messages on standard error.
constexpr int parseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

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
    // libxml2 sets up its shared tables once per process, before any thread parses.
    static const bool parserReady = (xmlInitParser(), true);
    Q_UNUSED(parserReady);
    xmlParserCtxt* context = xmlCreateMemoryParserCtxt(data.constData(), int(data.size()));
    if (!context)
        return {};
    SparkleXMLDelegate delegate;
    useFeedHandler(*context->sax);
    context->_private = &delegate;
    xmlCtxtUseOptions(context, parseOptions);
    xmlParseDocument(context);
    // The document holds only the declarations of its internal subset.
    xmlFreeDoc(context->myDoc);
    xmlFreeParserCtxt(context);
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
