#include "kit/platform/TrunePropertyList.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <QXmlStreamReader>

#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace {

using Error = TrunePropertyListError;
using Result = std::expected<QVariant, Error>;

Error malformed(const QString& reason)
{
    return {Error::Kind::malformed, reason};
}

Error tooComplex(const QString& reason)
{
    return {Error::Kind::tooComplex, reason};
}

Error tooDeep()
{
    return tooComplex(QStringLiteral("nested deeper than %1 levels").arg(TrunePropertyList::maxDepth));
}

// ---- measuring a binary property list before libplist builds it ----
//
// libplist builds every reference to a shared object as a copy of its own and recurses once per
// nesting level, so a few hundred bytes can unfold into gigabytes or overflow the stack. The
// object graph is walked here first, without recursion, each object measured once.

quint64 readBigEndian(std::span<const uchar> bytes)
{
    quint64 value = 0;
    for (const uchar byte : bytes)
        value = (value << 8) | byte;
    return value;
}

class BinaryShape final {
public:
    explicit BinaryShape(std::span<const uchar> bytes) : m_bytes(bytes) {}

    std::optional<Error> check()
    {
        if (auto error = readTrailer())
            return error;
        return walkFromTop();
    }

private:
    static constexpr qsizetype headerSize = 8; // "bplist00"
    static constexpr qsizetype trailerSize = 32;

    struct Children {
        quint64 count = 0;
        quint64 firstReference = 0; // byte offset of the first object reference
    };

    // What the walk knows of one object once it has been measured.
    struct Measure {
        enum class State : uchar { unvisited, open, done };
        State state = State::unvisited;
        quint64 height = 0; // levels from this object down to its deepest value, itself included
        quint64 values = 0; // this object and everything below it, unfolded
    };

    // One object on the path from the top object down to the one being visited.
    struct Frame {
        quint64 object = 0;
        Children children;
        quint64 next = 0;          // index of the next child to visit
        quint64 tallestChild = 0;  // greatest height among the children measured so far
        quint64 values = 1;        // this object and its children measured so far, unfolded
    };

    std::optional<Error> readTrailer()
    {
        if (std::ssize(m_bytes) < headerSize + trailerSize)
            return malformed(QStringLiteral("binary property list is truncated"));
        const auto trailer = m_bytes.subspan(m_bytes.size() - trailerSize);
        m_offsetSize = trailer[6];
        m_referenceSize = trailer[7];
        m_objectCount = readBigEndian(trailer.subspan(8, 8));
        m_topObject = readBigEndian(trailer.subspan(16, 8));
        m_offsetTable = readBigEndian(trailer.subspan(24, 8));
        const quint64 trailerStart = m_bytes.size() - trailerSize;
        const bool sizesValid = m_offsetSize >= 1 && m_offsetSize <= 8 && m_referenceSize >= 1 && m_referenceSize <= 8;
        const bool tableValid = m_offsetTable >= headerSize && m_offsetTable <= trailerStart
                                && m_objectCount <= (trailerStart - m_offsetTable) / (sizesValid ? m_offsetSize : 1);
        if (!sizesValid || !tableValid || m_objectCount == 0 || m_topObject >= m_objectCount)
            return malformed(QStringLiteral("binary property list has an invalid trailer"));
        return std::nullopt;
    }

    std::optional<quint64> objectOffset(quint64 object) const
    {
        const quint64 offset = readBigEndian(m_bytes.subspan(m_offsetTable + object * m_offsetSize, m_offsetSize));
        if (offset < headerSize || offset >= m_offsetTable)
            return std::nullopt;
        return offset;
    }

    // The references an array, set or dictionary holds; none for any other object.
    std::optional<Children> childrenOf(quint64 object) const
    {
        const auto offset = objectOffset(object);
        if (!offset)
            return std::nullopt;
        const uchar marker = m_bytes[*offset];
        const int type = marker >> 4;
        const bool isArrayOrSet = type == 0xA || type == 0xC;
        const bool isDictionary = type == 0xD;
        if (!isArrayOrSet && !isDictionary)
            return Children{};
        quint64 position = *offset + 1;
        quint64 count = marker & 0x0F;
        if (count == 0x0F) { // the count follows as an integer object
            if (position >= m_offsetTable || (m_bytes[position] >> 4) != 0x1 || (m_bytes[position] & 0x0F) > 3)
                return std::nullopt;
            const quint64 width = quint64(1) << (m_bytes[position] & 0x0F);
            if (position + 1 + width > m_offsetTable)
                return std::nullopt;
            count = readBigEndian(m_bytes.subspan(position + 1, width));
            position += 1 + width;
        }
        const quint64 available = (m_offsetTable - position) / m_referenceSize;
        if (count > available || (isDictionary && count > available / 2))
            return std::nullopt;
        return Children{isDictionary ? count * 2 : count, position};
    }

    quint64 reference(const Children& children, quint64 index) const
    {
        return readBigEndian(m_bytes.subspan(children.firstReference + index * m_referenceSize, m_referenceSize));
    }

    std::optional<Error> walkFromTop()
    {
        using State = Measure::State;
        const auto maxDepth = quint64(TrunePropertyList::maxDepth);
        std::vector<Measure> measures(m_objectCount);
        std::vector<Frame> path;

        const auto enter = [&](quint64 object) -> std::optional<Error> {
            if (path.size() >= maxDepth)
                return tooDeep();
            const auto children = childrenOf(object);
            if (!children)
                return malformed(QStringLiteral("binary property list has an invalid object"));
            measures[object].state = State::open;
            path.push_back({object, *children});
            return std::nullopt;
        };
        // Adds a measured child to the object at the end of the path.
        const auto addChild = [&](const Measure& child) -> std::optional<Error> {
            // A shared object met again deeper down nests as deep as its height from there.
            if (path.size() + child.height > maxDepth)
                return tooDeep();
            Frame& parent = path.back();
            parent.tallestChild = std::max(parent.tallestChild, child.height);
            parent.values = std::min(parent.values + child.values, unfoldLimit);
            return std::nullopt;
        };

        if (auto error = enter(m_topObject))
            return error;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.next < frame.children.count) {
                const quint64 child = reference(frame.children, frame.next++);
                if (child >= m_objectCount)
                    return malformed(QStringLiteral("binary property list refers to a missing object"));
                const State state = measures[child].state;
                if (state == State::open)
                    return malformed(QStringLiteral("binary property list contains itself"));
                if (auto error = state == State::done ? addChild(measures[child]) : enter(child))
                    return error;
                continue;
            }
            Measure& measured = measures[frame.object];
            measured = {State::done, frame.tallestChild + 1, frame.values};
            path.pop_back();
            if (measured.values > quint64(TrunePropertyList::maxValues))
                return tooComplex(QStringLiteral("unfolds into more than %1 values").arg(TrunePropertyList::maxValues));
            if (!path.empty()) {
                if (auto error = addChild(measured))
                    return error;
            }
        }
        return std::nullopt;
    }

    static constexpr quint64 unfoldLimit = quint64(TrunePropertyList::maxValues) + 1;

    std::span<const uchar> m_bytes;
    quint64 m_offsetSize = 0;
    quint64 m_referenceSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_topObject = 0;
    quint64 m_offsetTable = 0;
};

// libplist parses XML without recursion but frees what it built (also half a document, after an
// error) recursively, so the nesting is measured first by a real XML parser. In a well-formed
// document without an internal DTD subset, libplist nests its values exactly as the elements
// nest (the <plist> element adds one level), or stops with an error earlier.
std::optional<Error> checkXmlShape(QByteArrayView text)
{
    QXmlStreamReader reader(QByteArray::fromRawData(text.data(), text.size()));
    reader.setNamespaceProcessing(false);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > TrunePropertyList::maxDepth + 1)
                return tooDeep();
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::DTD:
            if (reader.text().contains(QLatin1Char('[')))
                return malformed(QStringLiteral("property list with an internal DTD subset"));
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return malformed(QStringLiteral("not well-formed XML: ") + reader.errorString());
    return std::nullopt;
}

// ---- converting libplist nodes ----

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// The node as libplist writes it in XML. libplist 2.2 keeps details that it offers no call to
// read (whether an integer was signed, dates outside 1933-2069) but writes them faithfully.
QByteArray xmlText(plist_t node, const char* tag)
{
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    const std::unique_ptr<char, MallocDeleter> owner(xml);
    if (!xml)
        return {};
    const QByteArrayView document(xml, length);
    const QByteArray open = QByteArray("<") + tag + '>';
    const qsizetype start = document.indexOf(open);
    if (start < 0)
        return {};
    const qsizetype contentStart = start + open.size();
    const qsizetype end = document.indexOf(QByteArray("</") + tag + '>', contentStart);
    return end < 0 ? QByteArray() : document.sliced(contentStart, end - contentStart).toByteArray();
}

QVariant integerValue(plist_t node)
{
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    if (raw <= uint64_t(std::numeric_limits<qint64>::max()))
        return QVariant::fromValue(qint64(raw));
    // Above the signed range the same 64 bits are either a negative number or a large unsigned
    // one; reinterpreting would turn 18446744073709551615 into -1.
    if (xmlText(node, "integer").startsWith('-'))
        return QVariant::fromValue(static_cast<qint64>(raw));
    return QVariant::fromValue(quint64(raw));
}

QVariant dateValue(plist_t node)
{
    static const QDateTime referenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    int32_t seconds = 0;
    int32_t microseconds = 0; // libplist gives its magnitude; the sign is that of `seconds`
    plist_get_date_val(node, &seconds, &microseconds);
    const bool secondsFit = seconds != std::numeric_limits<int32_t>::min() && seconds != std::numeric_limits<int32_t>::max();
    if (secondsFit) {
        const qint64 milliseconds = (qint64(microseconds) + 500) / 1000;
        return referenceDate.addMSecs(qint64(seconds) * 1000 + (seconds < 0 ? -milliseconds : milliseconds));
    }
    // Out of the range libplist can hand over: its XML form is exact to the second.
    QDateTime date = QDateTime::fromString(QString::fromLatin1(xmlText(node, "date")), Qt::ISODate);
    return date.isValid() ? date.toUTC() : QDateTime();
}

Result convert(plist_t node, int depth);

Result dictionaryValue(plist_t node, int depth)
{
    QVariantMap map;
    plist_dict_iter rawIterator = nullptr;
    plist_dict_new_iter(node, &rawIterator);
    const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
    while (true) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, rawIterator, &rawKey, &value);
        const std::unique_ptr<char, MallocDeleter> key(rawKey);
        if (!value)
            break;
        Result converted = convert(value, depth + 1);
        if (!converted)
            return converted;
        map.insert(QString::fromUtf8(rawKey), std::move(*converted));
    }
    return map;
}

Result arrayValue(plist_t node, int depth)
{
    QVariantList list;
    const uint32_t count = plist_array_get_size(node);
    list.reserve(count);
    for (uint32_t index = 0; index < count; ++index) {
        Result converted = convert(plist_array_get_item(node, index), depth + 1);
        if (!converted)
            return converted;
        list.append(std::move(*converted));
    }
    return list;
}

Result convert(plist_t node, int depth)
{
    if (depth > TrunePropertyList::maxDepth)
        return std::unexpected(tooDeep());
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictionaryValue(node, depth);
    case PLIST_ARRAY:
        return arrayValue(node, depth);
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return QString::fromUtf8(text, text ? qsizetype(length) : 0);
    }
    case PLIST_KEY: { // libplist reads a <key> outside a dictionary as text
        char* key = nullptr;
        plist_get_key_val(node, &key);
        const std::unique_ptr<char, MallocDeleter> owner(key);
        return QString::fromUtf8(key);
    }
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT:
        return integerValue(node);
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_DATE:
        return dateValue(node);
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return QByteArray(bytes, bytes ? qsizetype(length) : 0);
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant::fromValue(TrunePropertyListUid{value});
    }
    default:
        return std::unexpected(malformed(QStringLiteral("unknown value type")));
    }
}

} // namespace

namespace TrunePropertyList {

std::expected<QVariant, TrunePropertyListError> parse(const QByteArray& data)
{
    if (data.isEmpty())
        return std::unexpected(Error{Error::Kind::empty, QStringLiteral("no data")});
    if (quint64(data.size()) > std::numeric_limits<uint32_t>::max())
        return std::unexpected(tooComplex(QStringLiteral("larger than 4 GiB")));
    QByteArrayView document(data);
    const bool binary = plist_is_binary(document.data(), static_cast<uint32_t>(document.size())) != 0;
    // XML may open with a byte-order mark, which libplist 2.2 does not accept, and files are
    // sometimes padded with NUL bytes, which are no XML.
    if (!binary) {
        if (document.startsWith("\xEF\xBB\xBF"))
            document = document.sliced(3);
        while (document.endsWith('\0'))
            document.chop(1);
    }
    const auto bytes = std::span(reinterpret_cast<const uchar*>(document.data()), document.size());
    if (auto error = binary ? BinaryShape(bytes).check() : checkXmlShape(document))
        return std::unexpected(*error);

    plist_t root = nullptr;
    plist_from_memory(document.data(), static_cast<uint32_t>(document.size()), &root);
    const PlistHandle owner(root);
    if (!root)
        return std::unexpected(malformed(binary ? QStringLiteral("unreadable binary property list")
                                                : QStringLiteral("unreadable XML property list")));
    return convert(root, 1);
}

} // namespace TrunePropertyList
