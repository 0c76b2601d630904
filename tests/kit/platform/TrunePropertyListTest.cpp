#include "kit/platform/TrunePropertyList.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include <locale.h>
#include <plist/plist.h>
#include <pthread.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace {

using Kind = TrunePropertyListError::Kind;

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistFree>;

enum class Format { xml, binary };

QByteArray serialize(plist_t node, Format format)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::xml)
        plist_to_xml(node, &bytes, &length);
    else
        plist_to_bin(node, &bytes, &length);
    QByteArray result(bytes, qsizetype(length));
    std::free(bytes);
    return result;
}

// XML text read by libplist itself, for values its building calls cannot make (integers above
// the signed range, dates outside 1933-2069), then written in the wanted format.
QByteArray fromXmlText(const QByteArray& body, Format format)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + body + "</plist>";
    plist_t node = nullptr;
    plist_from_memory(xml.constData(), uint32_t(xml.size()), &node);
    const Plist owner(node);
    return node ? serialize(node, format) : QByteArray();
}

const char* formatName(Format format)
{
    return format == Format::xml ? "XML" : "binary";
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
}

// Seconds since 2001-01-01T00:00:00Z, the property-list epoch.
int32_t plistSeconds(const QDateTime& date)
{
    return int32_t(utc(2001, 1, 1, 0, 0, 0).secsTo(date));
}

// Every value type, nested containers included, built with libplist's own calls.
Plist everyTypeDocument()
{
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "text", plist_new_string("Grüße ✓ <&>"));
    plist_dict_set_item(root, "emptyText", plist_new_string(""));
    plist_dict_set_item(root, "yes", plist_new_bool(1));
    plist_dict_set_item(root, "no", plist_new_bool(0));
    plist_dict_set_item(root, "zero", plist_new_uint(0));
    plist_dict_set_item(root, "negative", plist_new_uint(uint64_t(-42)));
    plist_dict_set_item(root, "largest", plist_new_uint(uint64_t(std::numeric_limits<qint64>::max())));
    plist_dict_set_item(root, "smallest", plist_new_uint(uint64_t(std::numeric_limits<qint64>::min())));
    plist_dict_set_item(root, "real", plist_new_real(-2.5));
    plist_dict_set_item(root, "data", plist_new_data("\0\x01\xFFz", 4));
    plist_dict_set_item(root, "date", plist_new_date(plistSeconds(utc(2024, 1, 2, 3, 4, 5)), 0));
    plist_dict_set_item(root, "beforeEpoch", plist_new_date(plistSeconds(utc(1999, 12, 31, 23, 0, 0)), 0));
    plist_t inner = plist_new_dict();
    plist_dict_set_item(inner, "CFBundleName", plist_new_string("Foo"));
    plist_t list = plist_new_array();
    plist_array_append_item(list, inner);
    plist_array_append_item(list, plist_new_array());
    plist_array_append_item(list, plist_new_string("last"));
    plist_dict_set_item(root, "list", list);
    plist_dict_set_item(root, "emptyDictionary", plist_new_dict());
    return Plist(root);
}

QVariantMap everyTypeExpected()
{
    return {
        {QStringLiteral("text"), QStringLiteral("Grüße ✓ <&>")},
        {QStringLiteral("emptyText"), QString()},
        {QStringLiteral("yes"), true},
        {QStringLiteral("no"), false},
        {QStringLiteral("zero"), qint64(0)},
        {QStringLiteral("negative"), qint64(-42)},
        {QStringLiteral("largest"), std::numeric_limits<qint64>::max()},
        {QStringLiteral("smallest"), std::numeric_limits<qint64>::min()},
        {QStringLiteral("real"), -2.5},
        {QStringLiteral("data"), QByteArray("\0\x01\xFFz", 4)},
        {QStringLiteral("date"), utc(2024, 1, 2, 3, 4, 5)},
        {QStringLiteral("beforeEpoch"), utc(1999, 12, 31, 23, 0, 0)},
        {QStringLiteral("list"),
            QVariantList{QVariantMap{{QStringLiteral("CFBundleName"), QStringLiteral("Foo")}}, QVariantList{},
                QStringLiteral("last")}},
        {QStringLiteral("emptyDictionary"), QVariantMap{}},
    };
}

// Equal values of the same type all the way down (QVariant's == alone lets 1 equal 1.0 or "1").
void expectSameValue(const QVariant& actual, const QVariant& expected, const QString& where)
{
    SCOPED_TRACE(where.toStdString());
    ASSERT_EQ(QMetaType(actual.typeId()).name(), QMetaType(expected.typeId()).name());
    if (expected.typeId() == QMetaType::QVariantMap) {
        const QVariantMap actualMap = actual.toMap();
        const QVariantMap expectedMap = expected.toMap();
        EXPECT_EQ(actualMap.keys(), expectedMap.keys());
        for (auto it = expectedMap.begin(); it != expectedMap.end(); ++it)
            expectSameValue(actualMap.value(it.key()), it.value(), where + QLatin1Char('.') + it.key());
    } else if (expected.typeId() == QMetaType::QVariantList) {
        const QVariantList actualList = actual.toList();
        const QVariantList expectedList = expected.toList();
        ASSERT_EQ(actualList.size(), expectedList.size());
        for (qsizetype i = 0; i < expectedList.size(); ++i)
            expectSameValue(actualList.at(i), expectedList.at(i), where + QStringLiteral("[%1]").arg(i));
    } else {
        EXPECT_EQ(actual, expected);
        if (expected.typeId() == QMetaType::QDateTime) {
            EXPECT_EQ(actual.toDateTime().timeSpec(), Qt::UTC);
        }
    }
}

void expectRefused(const QByteArray& data, Kind kind)
{
    const auto parsed = TrunePropertyList::parse(data);
    ASSERT_FALSE(parsed.has_value()) << "parsed as " << parsed->typeName();
    EXPECT_EQ(parsed.error().kind, kind) << parsed.error().reason.toStdString();
    EXPECT_FALSE(parsed.error().reason.isEmpty());
}

// ---- hand-made binary property lists (4-byte offsets and references) ----

void appendBigEndian(QByteArray& out, quint64 value, int width)
{
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

struct BinaryObject {
    QByteArray bytes; // marker and payload, references excluded
    std::vector<quint32> references;
};

// Object 0 is the top object.
QByteArray binaryDocument(const std::vector<BinaryObject>& objects)
{
    QByteArray out("bplist00");
    std::vector<quint32> offsets;
    for (const BinaryObject& object : objects) {
        offsets.push_back(quint32(out.size()));
        out.append(object.bytes);
        for (const quint32 reference : object.references)
            appendBigEndian(out, reference, 4);
    }
    const quint64 tableOffset = quint64(out.size());
    for (const quint32 offset : offsets)
        appendBigEndian(out, offset, 4);
    out.append(QByteArray(6, '\0'));
    out.append(char(4)); // offset size
    out.append(char(4)); // reference size
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8); // top object
    appendBigEndian(out, tableOffset, 8);
    return out;
}

enum class Marker : uchar { data = 0x4, asciiString = 0x5, utf16String = 0x6, array = 0xA, dictionary = 0xD };

// The marker of an object holding `count` items; from 15 on, the count follows as an integer.
QByteArray marker(Marker type, quint32 count)
{
    const auto high = char(uchar(type) << 4);
    if (count < 15)
        return QByteArray(1, char(high | char(count)));
    QByteArray bytes(1, char(high | 0x0F));
    bytes.append('\x12');
    appendBigEndian(bytes, count, 4);
    return bytes;
}

QByteArray arrayMarker(quint32 count)
{
    return marker(Marker::array, count);
}

BinaryObject asciiString(const QByteArray& text)
{
    return {marker(Marker::asciiString, quint32(text.size())) + text, {}};
}

BinaryObject utf16String(std::u16string_view text)
{
    QByteArray bytes = marker(Marker::utf16String, quint32(text.size()));
    for (const char16_t unit : text)
        appendBigEndian(bytes, unit, 2);
    return {bytes, {}};
}

BinaryObject dataObject(qsizetype size)
{
    return {marker(Marker::data, quint32(size)) + QByteArray(size, 'd'), {}};
}

// A dictionary of one entry whose key is object 1 and whose value is the string "x" (object 2).
QByteArray oneEntryDictionary(const BinaryObject& key)
{
    return binaryDocument({{marker(Marker::dictionary, 1), {1, 2}}, key, asciiString("x")});
}

// An array referring `count` times to object 1.
QByteArray sharedByArray(const BinaryObject& shared, quint32 count)
{
    return binaryDocument({{arrayMarker(count), std::vector<quint32>(count, 1)}, shared});
}

// `levels` arrays, each holding `width` references to the next; the last holds the integer 5.
QByteArray nestedArrays(quint32 levels, quint32 width)
{
    std::vector<BinaryObject> objects;
    for (quint32 level = 0; level < levels; ++level)
        objects.push_back({arrayMarker(width), std::vector<quint32>(width, level + 1)});
    objects.push_back({QByteArray("\x10\x05", 2), {}});
    return binaryDocument(objects);
}

// `layers` chains of `length` arrays. Each chain ends in a reference to the start of the chain
// before it (the first ends in a leaf), and the top array lists the chains first to last, so each
// chain is reached only after the one it leads into has been measured.
QByteArray layeredChains(quint32 layers, quint32 length)
{
    const auto chainStart = [&](quint32 layer) { return 1 + layer * length; };
    const quint32 leaf = chainStart(layers);
    std::vector<BinaryObject> objects;
    std::vector<quint32> starts;
    for (quint32 layer = 0; layer < layers; ++layer)
        starts.push_back(chainStart(layer));
    objects.push_back({arrayMarker(layers), starts});
    for (quint32 layer = 0; layer < layers; ++layer) {
        for (quint32 step = 0; step < length; ++step) {
            const bool last = step + 1 == length;
            const quint32 next = !last ? chainStart(layer) + step + 1 : layer == 0 ? leaf : chainStart(layer - 1);
            objects.push_back({arrayMarker(1), {next}});
        }
    }
    objects.push_back({QByteArray("\x09", 1), {}}); // true
    return binaryDocument(objects);
}

// Runs `work` on a thread with the 512 KiB stack that macOS gives secondary threads, the
// smallest stack a parse may run on. pthread_join also waits for the thread's thread-local
// destructors (googletest keeps a trace list per thread), so the process cannot end before
// they have freed what they hold.
template <typename Work> void onSmallStack(Work work)
{
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 512 * 1024), 0);
    const auto run = [](void* argument) -> void* {
        (*static_cast<Work*>(argument))();
        return nullptr;
    };
    pthread_t thread;
    const int created = pthread_create(&thread, &attributes, run, &work);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(created, 0);
    pthread_join(thread, nullptr);
}

QByteArray nestedXmlArrays(int levels)
{
    return "<plist>" + QByteArray("<array>").repeated(levels) + "<true/>" + QByteArray("</array>").repeated(levels)
        + "</plist>";
}

} // namespace

TEST(TrunePropertyListTest, EveryValueTypeReadsTheSameFromXmlAndBinary)
{
    const Plist document = everyTypeDocument();
    for (const Format format : {Format::xml, Format::binary}) {
        SCOPED_TRACE(formatName(format));
        const auto parsed = TrunePropertyList::parse(serialize(document.get(), format));
        ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
        expectSameValue(*parsed, everyTypeExpected(), QStringLiteral("root"));
    }
}

TEST(TrunePropertyListTest, IntegersKeepTheirSignAcrossTheWholeSixtyFourBitRange)
{
    struct Case {
        const char* text;
        QVariant expected;
    };
    const std::vector<Case> cases{
        {"-1", QVariant::fromValue(qint64(-1))},
        {"-9223372036854775808", QVariant::fromValue(std::numeric_limits<qint64>::min())},
        {"9223372036854775807", QVariant::fromValue(std::numeric_limits<qint64>::max())},
        // Beyond the signed range an unsigned value stays unsigned instead of wrapping negative.
        {"9223372036854775808", QVariant::fromValue(quint64(9223372036854775808ULL))},
        {"18446744073709551615", QVariant::fromValue(std::numeric_limits<quint64>::max())},
    };
    for (const Format format : {Format::xml, Format::binary}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(formatName(format)) + " " + c.text);
            const QByteArray data = fromXmlText(QByteArray("<array><integer>") + c.text + "</integer></array>", format);
            const auto parsed = TrunePropertyList::parse(data);
            ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
            expectSameValue(*parsed, QVariantList{c.expected}, QStringLiteral("root"));
        }
    }
}

TEST(TrunePropertyListTest, DatesOutsideLibplistsSecondsRangeStayExact)
{
    const std::vector<std::pair<const char*, QDateTime>> cases{
        {"1901-01-02T03:04:05Z", utc(1901, 1, 2, 3, 4, 5)},
        {"2100-12-31T23:59:59Z", utc(2100, 12, 31, 23, 59, 59)},
        {"2001-01-01T00:00:00Z", utc(2001, 1, 1, 0, 0, 0)},
    };
    for (const Format format : {Format::xml, Format::binary}) {
        for (const auto& [text, expected] : cases) {
            SCOPED_TRACE(std::string(formatName(format)) + " " + text);
            const QByteArray data = fromXmlText(QByteArray("<array><date>") + text + "</date></array>", format);
            const auto parsed = TrunePropertyList::parse(data);
            ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
            expectSameValue(*parsed, QVariantList{expected}, QStringLiteral("root"));
        }
    }
}

TEST(TrunePropertyListTest, BinaryDatesKeepMillisecondsAndUidsKeepTheirValue)
{
    const Plist list(plist_new_array());
    plist_array_append_item(list.get(), plist_new_date(plistSeconds(utc(2024, 1, 2, 3, 4, 5)), 250000));
    plist_array_append_item(list.get(), plist_new_date(-5, -250000)); // 5.25 s before the epoch
    plist_array_append_item(list.get(), plist_new_uid(7));
    const auto parsed = TrunePropertyList::parse(serialize(list.get(), Format::binary));
    ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
    expectSameValue(*parsed,
        QVariantList{utc(2024, 1, 2, 3, 4, 5, 250), utc(2000, 12, 31, 23, 59, 54, 750),
            QVariant::fromValue(TrunePropertyListUid{7})},
        QStringLiteral("root"));
}

TEST(TrunePropertyListTest, TopLevelNeedNotBeADictionary)
{
    const auto text = TrunePropertyList::parse("<plist version=\"1.0\"><string>only</string></plist>");
    ASSERT_TRUE(text.has_value());
    expectSameValue(*text, QStringLiteral("only"), QStringLiteral("root"));

    // A byte-order mark and blank lines before the document and NUL padding after it are allowed.
    const auto marked
        = TrunePropertyList::parse(QByteArray("\xEF\xBB\xBF\n  <plist><array><false/></array></plist>\0\0", 46));
    ASSERT_TRUE(marked.has_value()) << marked.error().reason.toStdString();
    expectSameValue(*marked, QVariantList{false}, QStringLiteral("root"));
}

TEST(TrunePropertyListTest, MalformedOrEmptyInputIsAnErrorNotACrash)
{
    const QByteArray validBinary = serialize(everyTypeDocument().get(), Format::binary);
    const QByteArray truncatedBinary = validBinary.left(validBinary.size() - 5);
    QByteArray badOffsetSize = validBinary;
    badOffsetSize[badOffsetSize.size() - 26] = char(0); // the trailer's offset size
    QByteArray topOutOfRange = validBinary;
    topOutOfRange[topOutOfRange.size() - 9] = char(0x7F); // the trailer's top object, low byte

    struct Case {
        const char* name;
        QByteArray data;
        Kind kind;
    };
    const std::vector<Case> cases{
        {"no bytes", QByteArray(), Kind::empty},
        {"blanks only", "  \n\t ", Kind::malformed},
        {"plain text", "CFBundleName = Foo", Kind::malformed},
        {"old-style property list", "{ CFBundleName = Foo; }", Kind::malformed},
        {"unclosed XML", "<plist><dict><key>a</key><string>b</string>", Kind::malformed},
        {"dictionary entry without a key", "<plist><dict><string>a</string></dict></plist>", Kind::malformed},
        {"empty plist element", "<plist></plist>", Kind::malformed},
        {"internal DTD subset", "<!DOCTYPE plist [ <!ENTITY a \"x\"> ]><plist><string>&a;</string></plist>",
            Kind::malformed},
        {"binary magic alone", "bplist00", Kind::malformed},
        {"binary magic and junk", "bplist00" + QByteArray(64, '\x7F'), Kind::malformed},
        {"binary cut short", truncatedBinary, Kind::malformed},
        {"binary with zero-byte offsets", badOffsetSize, Kind::malformed},
        {"binary top object out of range", topOutOfRange, Kind::malformed},
        {"binary reference out of range", binaryDocument({{arrayMarker(1), {9}}}), Kind::malformed},
        {"binary array holding itself", binaryDocument({{arrayMarker(1), {0}}}), Kind::malformed},
        {"binary count beyond the data", binaryDocument({{arrayMarker(1000), {}}}), Kind::malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused(c.data, c.kind);
    }
}

TEST(TrunePropertyListTest, NestingUpToTheLimitIsRead)
{
    onSmallStack([] {
        const auto binary = TrunePropertyList::parse(nestedArrays(TrunePropertyList::maxDepth - 1, 1));
        ASSERT_TRUE(binary.has_value()) << binary.error().reason.toStdString();
        const auto xml = TrunePropertyList::parse(nestedXmlArrays(TrunePropertyList::maxDepth - 1));
        ASSERT_TRUE(xml.has_value()) << xml.error().reason.toStdString();

        QVariant innermost = xml->toList().value(0);
        for (int level = 2; level < TrunePropertyList::maxDepth - 1; ++level)
            innermost = innermost.toList().value(0);
        expectSameValue(innermost, QVariantList{true}, QStringLiteral("innermost"));
    });
}

TEST(TrunePropertyListTest, HostileNestingAndSharingAreRefusedBeforeTheyAreBuilt)
{
    struct Case {
        const char* name;
        QByteArray data;
    };
    const std::vector<Case> cases{
        {"binary one level too deep", nestedArrays(TrunePropertyList::maxDepth, 1)},
        {"binary nested 200000 deep", nestedArrays(200'000, 1)},
        // 64 levels of two references each: a few hundred bytes naming 2^64 values.
        {"binary shared references", nestedArrays(64, 2)},
        // No chain is deeper than the limit, but together they nest 7200 levels.
        {"binary shallow chains leading into each other", layeredChains(60, 120)},
        {"XML one level too deep", nestedXmlArrays(TrunePropertyList::maxDepth + 1)},
        {"XML nested 300000 deep", nestedXmlArrays(300'000)},
        {"XML nested 300000 deep, never closed", "<plist>" + QByteArray("<array>").repeated(300'000)},
        {"XML with closing tags hidden in character data",
            "<plist>" + QByteArray("<array><string><![CDATA[</array>]]></string><!-- </array> -->").repeated(100'000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        onSmallStack([&] { expectRefused(c.data, Kind::tooComplex); });
    }
}

TEST(TrunePropertyListTest, BinaryDictionaryKeysMustBeTextWithoutNul)
{
    struct Case {
        const char* name;
        BinaryObject key;
        std::optional<QString> readAs; // nullopt: refused as malformed
    };
    const std::vector<Case> cases{
        {"ASCII key", asciiString("CFBundleName"), u"CFBundleName"_s},
        {"UTF-16 key", utf16String(u"Gr\u00FC\u00DFe \u2713"), u"Grüße ✓"_s},
        {"empty key", asciiString(""), u""_s},
        // libplist aborts the whole process on such a key.
        {"UTF-16 key holding U+0000", utf16String(std::u16string_view(u"a\0b", 3)), std::nullopt},
        {"ASCII key holding NUL", asciiString(QByteArray("a\0b", 3)), std::nullopt},
        {"integer key", {QByteArray("\x10\x05", 2), {}}, std::nullopt},
        {"data key", dataObject(3), std::nullopt},
        {"array key", {arrayMarker(0), {}}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray document = oneEntryDictionary(c.key);
        if (!c.readAs) {
            expectRefused(document, Kind::malformed);
            continue;
        }
        const auto parsed = TrunePropertyList::parse(document);
        ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
        expectSameValue(*parsed, QVariantMap{{*c.readAs, u"x"_s}}, u"root"_s);
    }

    // As a value rather than a key, a string may hold U+0000.
    const auto value = TrunePropertyList::parse(sharedByArray(utf16String(std::u16string_view(u"a\0b", 3)), 1));
    ASSERT_TRUE(value.has_value()) << value.error().reason.toStdString();
    expectSameValue(*value, QVariantList{QString(u"a\0b"_s)}, u"root"_s);
}

TEST(TrunePropertyListTest, SharedStringsAndDataCostTheirBytesForEveryReference)
{
    struct Case {
        const char* name;
        QByteArray data;
        qint64 bytes; // what the document unfolds into
    };
    const std::vector<Case> cases{
        {"data 64 times", sharedByArray(dataObject(1024), 64), 64 * 1024},
        {"ASCII text 64 times", sharedByArray(asciiString(QByteArray(1024, 'a')), 64), 64 * 1024},
        {"UTF-16 text 64 times", sharedByArray(utf16String(std::u16string(512, u'\u00E9')), 64), 64 * 1024},
        {"keys count too",
            binaryDocument(
                {{marker(Marker::dictionary, 2), {1, 2, 3, 3}}, asciiString("a"), asciiString("b"), dataObject(100)}),
            202},
        {"XML text and data",
            "<plist><dict><key>ab</key><string>cdef</string><key>g</key><data>AAAA</data></dict></plist>", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto within = TrunePropertyList::parse(c.data, {.maxBytes = c.bytes});
        EXPECT_TRUE(within.has_value()) << within.error().reason.toStdString();
        const auto parsed = TrunePropertyList::parse(c.data, {.maxBytes = c.bytes - 1});
        ASSERT_FALSE(parsed.has_value());
        EXPECT_EQ(parsed.error().kind, Kind::tooComplex) << parsed.error().reason.toStdString();
    }

    // 100 KiB of data referred to 20,000 times: 180 KiB that would unfold into 2 GB.
    expectRefused(sharedByArray(dataObject(100 * 1024), 20'000), Kind::tooComplex);
}

TEST(TrunePropertyListTest, ValuesCountEveryReferenceAndKey)
{
    struct Case {
        const char* name;
        QByteArray data;
        qint64 values;
    };
    const std::vector<Case> cases{
        {"binary array sharing one value", sharedByArray({QByteArray("\x09", 1), {}}, 1000), 1001},
        {"binary dictionary", oneEntryDictionary(asciiString("key")), 3},
        {"XML array", "<plist><array>" + QByteArray("<true/>").repeated(1000) + "</array></plist>", 1001},
        {"XML dictionary", "<plist><dict><key>key</key><string>x</string></dict></plist>", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto within = TrunePropertyList::parse(c.data, {.maxValues = c.values});
        EXPECT_TRUE(within.has_value()) << within.error().reason.toStdString();
        const auto parsed = TrunePropertyList::parse(c.data, {.maxValues = c.values - 1});
        ASSERT_FALSE(parsed.has_value());
        EXPECT_EQ(parsed.error().kind, Kind::tooComplex) << parsed.error().reason.toStdString();
    }
}

TEST(TrunePropertyListTest, LargeArraysAreReadWholeAndInOrder)
{
    // libplist finds an item by index by walking its list from the start: read that way, this
    // many items take minutes.
    constexpr quint32 count = 240'000;
    std::vector<BinaryObject> objects{{arrayMarker(count), {}}};
    for (quint32 index = 0; index < count; ++index) {
        objects.front().references.push_back(index + 1);
        QByteArray integer("\x12");
        appendBigEndian(integer, index, 4);
        objects.push_back({integer, {}});
    }
    const auto parsed = TrunePropertyList::parse(binaryDocument(objects));
    ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
    const QVariantList list = parsed->toList();
    ASSERT_EQ(list.size(), qsizetype(count));
    for (quint32 index = 0; index < count; ++index) {
        if (list.at(index) != QVariant::fromValue(qint64(index)))
            FAIL() << "item " << index << " reads " << list.at(index).toString().toStdString();
    }
}

// The numbers of a decimal-comma locale (German) in force on this thread for the life of the
// object, as QApplication puts the user's locale in force for the whole program.
class DecimalCommaNumbers final {
public:
    DecimalCommaNumbers()
        : m_locale(::newlocale(LC_ALL_MASK, "de_DE.UTF-8", locale_t(0)))
        , m_previous(m_locale ? ::uselocale(m_locale) : locale_t(0))
    {
    }
    ~DecimalCommaNumbers()
    {
        if (!m_locale)
            return;
        ::uselocale(m_previous);
        ::freelocale(m_locale);
    }
    DecimalCommaNumbers(const DecimalCommaNumbers&) = delete;
    DecimalCommaNumbers& operator=(const DecimalCommaNumbers&) = delete;

    bool active() const { return m_locale != locale_t(0); }

private:
    locale_t m_locale;
    locale_t m_previous;
};

TEST(TrunePropertyListTest, RealsReadTheSameUnderADecimalCommaLocale)
{
    const DecimalCommaNumbers comma;
    if (!comma.active())
        GTEST_SKIP() << "no de_DE.UTF-8 locale here; scripts/setup generates it";
    ASSERT_EQ(std::strtod("0,5", nullptr), 0.5) << "the comma locale is not in force";

    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>"
                           "<real>-2.5</real><real>0.125</real><real>1.5e3</real></array></plist>";
    const auto parsed = TrunePropertyList::parse(xml);
    ASSERT_TRUE(parsed.has_value()) << parsed.error().reason.toStdString();
    expectSameValue(*parsed, QVariantList{-2.5, 0.125, 1500.0}, u"reals"_s);
    EXPECT_EQ(std::strtod("0,5", nullptr), 0.5) << "the reader left this thread's locale changed";
}
