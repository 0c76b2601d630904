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
#include <locale.h>
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

// Saturating, so a count far beyond a limit cannot wrap around below it.
quint64 cappedSum(quint64 a, quint64 b, quint64 cap)
{
    return std::min(a + b, cap);
}

quint64 unfoldCap(qint64 limit)
{
    return quint64(std::max<qint64>(limit, 0)) + 1;
}

Error tooManyValues(const TrunePropertyListLimits& limits)
{
    return tooComplex(QStringLiteral("unfolds into more than %1 values").arg(limits.maxValues));
}

Error tooManyBytes(const TrunePropertyListLimits& limits)
{
    return tooComplex(QStringLiteral("unfolds into more than %1 bytes of text and data").arg(limits.maxBytes));
}

class BinaryShape final {
public:
    BinaryShape(std::span<const uchar> bytes, const TrunePropertyListLimits& limits)
        : m_bytes(bytes)
        , m_limits(limits)
        , m_valueCap(unfoldCap(limits.maxValues))
        , m_byteCap(unfoldCap(limits.maxBytes))
    {
    }

    std::optional<Error> check()
    {
        if (auto error = readTrailer())
            return error;
        return walkFromTop();
    }

private:
    static constexpr qsizetype headerSize = 8; // "bplist00"
    static constexpr qsizetype trailerSize = 32;

    enum Type : int { data = 0x4, asciiString = 0x5, utf16String = 0x6, array = 0xA, set = 0xC, dictionary = 0xD };

    // What one object holds by itself, before anything it refers to.
    struct Shape {
        quint64 references = 0;     // children of an array or set; keys and values of a dictionary
        quint64 keys = 0;           // how many of the references, the first ones, are dictionary keys
        quint64 firstReference = 0; // byte offset of the first reference
        quint64 bytes = 0;          // of string or data contents
        // ASCII or UTF-16 text without NUL: libplist aborts on a dictionary key holding NUL.
        bool validKey = false;
    };

    // What the walk knows of one object once it has been measured.
    struct Measure {
        enum class State : uchar { unvisited, open, done };
        State state = State::unvisited;
        bool validKey = false;
        quint64 height = 0; // levels from this object down to its deepest value, itself included
        quint64 values = 0; // this object and everything below it, unfolded
        quint64 bytes = 0;  // string and data bytes of this object and everything below it, unfolded
    };

    // One object on the path from the top object down to the one being visited.
    struct Frame {
        quint64 object = 0;
        Shape shape;
        quint64 next = 0;         // index of the next reference to visit
        quint64 tallestChild = 0; // greatest height among the children measured so far
        quint64 values = 1;       // this object and its children measured so far, unfolded
        quint64 bytes = 0;        // likewise, in string and data bytes
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

    // Bytes per counted item of the objects whose marker carries a count; 0 for the others.
    quint64 itemSize(int type) const
    {
        switch (type) {
        case data:
        case asciiString:
            return 1;
        case utf16String:
            return 2;
        case array:
        case set:
            return m_referenceSize;
        case dictionary:
            return 2 * m_referenceSize;
        default:
            return 0;
        }
    }

    static bool holdsNul(std::span<const uchar> text, quint64 unitSize)
    {
        for (std::size_t index = 0; index < text.size(); index += unitSize) {
            if (std::all_of(
                    text.begin() + index, text.begin() + index + unitSize, [](uchar byte) { return byte == 0; }))
                return true;
        }
        return false;
    }

    std::optional<Shape> shapeOf(quint64 object) const
    {
        const auto offset = objectOffset(object);
        if (!offset)
            return std::nullopt;
        const uchar marker = m_bytes[*offset];
        const int type = marker >> 4;
        const quint64 size = itemSize(type);
        if (size == 0)
            return Shape{};
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
        if (count > (m_offsetTable - position) / size)
            return std::nullopt;
        const auto contents = m_bytes.subspan(position, count * size);
        switch (type) {
        case asciiString:
        case utf16String:
            return Shape{.bytes = contents.size(), .validKey = !holdsNul(contents, size)};
        case data:
            return Shape{.bytes = contents.size()};
        case dictionary:
            return Shape{.references = count * 2, .keys = count, .firstReference = position};
        default:
            return Shape{.references = count, .firstReference = position};
        }
    }

    quint64 reference(const Shape& shape, quint64 index) const
    {
        return readBigEndian(m_bytes.subspan(shape.firstReference + index * m_referenceSize, m_referenceSize));
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
            const auto shape = shapeOf(object);
            if (!shape)
                return malformed(QStringLiteral("binary property list has an invalid object"));
            measures[object].state = State::open;
            path.push_back({.object = object, .shape = *shape, .bytes = std::min(shape->bytes, m_byteCap)});
            return std::nullopt;
        };
        // Adds a measured child to the object at the end of the path.
        const auto addChild = [&](const Measure& child) -> std::optional<Error> {
            // A shared object met again deeper down nests as deep as its height from there.
            if (path.size() + child.height > maxDepth)
                return tooDeep();
            Frame& parent = path.back();
            const bool isKey = parent.next - 1 < parent.shape.keys;
            if (isKey && !child.validKey)
                return malformed(
                    QStringLiteral("binary property list has a dictionary key that is no text or holds NUL"));
            parent.tallestChild = std::max(parent.tallestChild, child.height);
            parent.values = cappedSum(parent.values, child.values, m_valueCap);
            parent.bytes = cappedSum(parent.bytes, child.bytes, m_byteCap);
            return std::nullopt;
        };

        if (auto error = enter(m_topObject))
            return error;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.next < frame.shape.references) {
                const quint64 child = reference(frame.shape, frame.next++);
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
            measured = {State::done, frame.shape.validKey, frame.tallestChild + 1, frame.values, frame.bytes};
            path.pop_back();
            if (measured.values >= m_valueCap)
                return tooManyValues(m_limits);
            if (measured.bytes >= m_byteCap)
                return tooManyBytes(m_limits);
            if (!path.empty()) {
                if (auto error = addChild(measured))
                    return error;
            }
        }
        return std::nullopt;
    }

    std::span<const uchar> m_bytes;
    TrunePropertyListLimits m_limits;
    quint64 m_valueCap = 0; // one more than the limit: any count at the cap is beyond it
    quint64 m_byteCap = 0;
    quint64 m_offsetSize = 0;
    quint64 m_referenceSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_topObject = 0;
    quint64 m_offsetTable = 0;
};

// libplist parses XML without recursion but frees what it built (also half a document, after an
// error) recursively, so the nesting is measured first by a real XML parser. In a well-formed
// document without an internal DTD subset, libplist nests its values exactly as the elements
// nest (the <plist> element adds one level), or stops with an error earlier. Each element inside
// <plist> is one value or key, and its text at most the string or data it holds.
std::optional<Error> checkXmlShape(QByteArrayView text, const TrunePropertyListLimits& limits)
{
    QXmlStreamReader reader(QByteArray::fromRawData(text.data(), text.size()));
    reader.setNamespaceProcessing(false);
    int depth = 0;
    qint64 values = 0;
    qint64 bytes = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > TrunePropertyList::maxDepth + 1)
                return tooDeep();
            if (depth > 1 && ++values > limits.maxValues)
                return tooManyValues(limits);
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace() && (bytes += reader.text().size()) > limits.maxBytes)
                return tooManyBytes(limits);
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

// libplist reads and writes numbers with the C library's locale, which QApplication takes from
// the environment: under a decimal-comma locale "<real>-2.5</real>" would read as -2. A property
// list is one format everywhere, so libplist runs with the C locale's numbers on this thread.
class CNumbersOnThisThread final {
public:
    CNumbersOnThisThread()
    {
        const locale_t base = ::duplocale(::uselocale(locale_t(0)));
        m_numbers = base ? ::newlocale(LC_NUMERIC_MASK, "C", base) : locale_t(0);
        if (!m_numbers && base)
            ::freelocale(base);
        m_previous = m_numbers ? ::uselocale(m_numbers) : locale_t(0);
    }
    ~CNumbersOnThisThread()
    {
        if (!m_numbers)
            return;
        ::uselocale(m_previous);
        ::freelocale(m_numbers);
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t m_numbers = locale_t(0);
    locale_t m_previous = locale_t(0);
};

struct MallocDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

// The node as libplist writes it in XML. libplist 2.2 keeps details that it offers no call to
// read (whether an integer was signed, dates outside 1933-2069) but writes them faithfully.
QByteArray xmlText(plist_t node, const char* tag)
{
    char* xml = nullptr;
    uint32_t length = 0;
    {
        const CNumbersOnThisThread cNumbers;
        plist_to_xml(node, &xml, &length);
    }
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
    const bool secondsFit
        = seconds != std::numeric_limits<int32_t>::min() && seconds != std::numeric_limits<int32_t>::max();
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

// Walked with an iterator: libplist finds an item by index by walking the list from its start.
Result arrayValue(plist_t node, int depth)
{
    QVariantList list;
    list.reserve(plist_array_get_size(node));
    plist_array_iter rawIterator = nullptr;
    plist_array_new_iter(node, &rawIterator);
    const std::unique_ptr<void, MallocDeleter> iterator(rawIterator);
    while (true) {
        plist_t item = nullptr;
        plist_array_next_item(node, rawIterator, &item);
        if (!item)
            break;
        Result converted = convert(item, depth + 1);
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

std::expected<QVariant, TrunePropertyListError> parse(const QByteArray& data, const TrunePropertyListLimits& limits)
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
    if (auto error = binary ? BinaryShape(bytes, limits).check() : checkXmlShape(document, limits))
        return std::unexpected(*error);

    plist_t root = nullptr;
    {
        const CNumbersOnThisThread cNumbers;
        plist_from_memory(document.data(), static_cast<uint32_t>(document.size()), &root);
    }
    const PlistHandle owner(root);
    if (!root)
        return std::unexpected(malformed(binary ? QStringLiteral("unreadable binary property list")
                                                : QStringLiteral("unreadable XML property list")));
    return convert(root, 1);
}

} // namespace TrunePropertyList
