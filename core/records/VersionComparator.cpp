#include "core/records/VersionComparator.h"

#include "kit/platform/TruneCollation.h"

#include <QChar>
#include <QCollator>
#include <QLocale>
#include <QString>
#include <QTextBoundaryFinder>
#include <QtNumeric>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace VersionComparator {
namespace {

// One dot-separated piece of the main or the secondary part.
struct Segment {
    enum class Kind { numeric, mixed, text };
    Kind kind = Kind::numeric;
    qint64 number = 0; // numeric and mixed
    QString text;      // lower-cased: the remainder of a mixed piece, or a whole text piece
};

struct PrereleaseIdentifier {
    bool isNumeric = false;
    qint64 number = 0;
    QString text; // lower-cased
};

struct ParsedVersion {
    std::vector<Segment> segments;
    qint64 revision = 0;
    std::vector<PrereleaseIdentifier> prerelease;
    std::vector<Segment> secondary;
};

// A range [begin, end) of code units of the text being parsed.
struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
};

constexpr ComparisonResult compareValues(qint64 lhs, qint64 rhs)
{
    if (lhs < rhs)
        return ComparisonResult::orderedAscending;
    return lhs > rhs ? ComparisonResult::orderedDescending : ComparisonResult::orderedSame;
}

constexpr bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Base 10 from ASCII digits with one optional leading sign, within the signed 64-bit range.
// Digits of other scripts are number characters but never part of an integer, and a run of
// digits too long for 64 bits is no integer either: the caller then keeps the text as a word.
std::optional<qint64> parseInteger(QStringView text)
{
    qsizetype position = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        position = 1;
    if (position == text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range reaches one further than the positive one.
    qint64 value = 0;
    for (; position < text.size(); ++position) {
        const char16_t c = text[position].unicode();
        if (!isAsciiDigit(c) || qMulOverflow(value, qint64(10), &value)
            || qSubOverflow(value, qint64(c - u'0'), &value))
            return std::nullopt;
    }
    if (negative)
        return value;
    if (value == std::numeric_limits<qint64>::min())
        return std::nullopt;
    return -value;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

char32_t codePointAt(QStringView text, qsizetype position)
{
    const QChar c = text[position];
    if (c.isHighSurrogate() && position + 1 < text.size() && text[position + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[position + 1]);
    return c.unicode();
}

// A version text read as user-perceived characters: a separator or a leading "v" only counts
// when it stands alone, and a number character takes its combining marks, variation selectors or
// the second half of its surrogate pair along, so nothing is split from what it belongs to. In
// ASCII every code unit is a character (CR LF, the one ASCII pair that forms a single character,
// holds no separator, number or "v", so it needs no special case).
class Characters {
public:
    explicit Characters(QStringView text)
        : m_text(text)
    {
        if (!isAscii(text))
            m_finder.emplace(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    }

    QStringView text() const { return m_text; }
    QStringView slice(Span span) const { return m_text.sliced(span.begin, span.end - span.begin); }

    bool isBoundary(qsizetype position) const
    {
        if (!m_finder || position <= 0 || position >= m_text.size())
            return true;
        m_finder->setPosition(position);
        return m_finder->isAtBoundary();
    }

    qsizetype nextBoundary(qsizetype position, qsizetype end) const
    {
        do {
            ++position;
        } while (position < end && !isBoundary(position));
        return position;
    }

    // A number character: the character's first code point has the Unicode numeric property.
    bool isNumberAt(qsizetype position) const { return QChar::isNumber(codePointAt(m_text, position)); }

    // Whether one of the given characters stands at position as a character of its own.
    bool isLoneCharacterOf(qsizetype position, QStringView set) const
    {
        return std::find(set.begin(), set.end(), m_text[position]) != set.end() && isBoundary(position)
            && isBoundary(position + 1);
    }

    std::optional<qsizetype> findFirst(QStringView character, Span span) const
    {
        for (qsizetype i = span.begin; i < span.end; ++i) {
            if (isLoneCharacterOf(i, character))
                return i;
        }
        return std::nullopt;
    }

    std::optional<qsizetype> findLast(QStringView character, Span span) const
    {
        for (qsizetype i = span.end - 1; i >= span.begin; --i) {
            if (isLoneCharacterOf(i, character))
                return i;
        }
        return std::nullopt;
    }

    // The pieces of span between the given separators, empty pieces dropped.
    std::vector<Span> split(Span span, QStringView separators) const
    {
        std::vector<Span> pieces;
        qsizetype start = span.begin;
        for (qsizetype i = span.begin; i < span.end; ++i) {
            if (!isLoneCharacterOf(i, separators))
                continue;
            if (i > start)
                pieces.push_back({start, i});
            start = i + 1;
        }
        if (span.end > start)
            pieces.push_back({start, span.end});
        return pieces;
    }

    // Where the run of characters at span's start that are (or are not) number characters ends.
    qsizetype endOfRun(Span span, bool ofNumbers) const
    {
        qsizetype position = span.begin;
        while (position < span.end && isNumberAt(position) == ofNumbers)
            position = nextBoundary(position, span.end);
        return position;
    }

private:
    QStringView m_text;
    mutable std::optional<QTextBoundaryFinder> m_finder;
};

QString lowered(QStringView text)
{
    return text.toString().toLower();
}

bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// Where the version proper starts after a "ver " or "v" prefix ("Ver 3.1", "v2.0"). A "v"
// only goes before a number character, so "v", "vNext" and "version 2" keep theirs.
qsizetype startAfterPrefix(const Characters& characters)
{
    const QStringView text = characters.text();
    if (text.startsWith(u"ver ", Qt::CaseInsensitive) && characters.isBoundary(4)) {
        qsizetype start = 4;
        while (start < text.size() && isBlank(text[start]))
            ++start;
        return start;
    }
    const bool startsWithV = !text.isEmpty() && (text[0] == u'v' || text[0] == u'V');
    if (startsWithV && text.size() > 1 && characters.isBoundary(1) && characters.isNumberAt(1))
        return 1;
    return 0;
}

Segment numericSegment(qint64 number)
{
    return {Segment::Kind::numeric, number, {}};
}

PrereleaseIdentifier numericIdentifier(qint64 number)
{
    return {true, number, {}};
}

PrereleaseIdentifier textIdentifier(QString text)
{
    return {false, 0, std::move(text)};
}

// Prerelease words "a" and "b" stand for alpha and beta.
QString writtenOut(QString word)
{
    if (word == u"a")
        return QStringLiteral("alpha");
    if (word == u"b")
        return QStringLiteral("beta");
    return word;
}

Segment makeSegment(const Characters& characters, Span piece)
{
    const QStringView text = characters.slice(piece);
    if (const auto value = parseInteger(text))
        return numericSegment(*value);
    const qsizetype numberEnd = characters.endOfRun(piece, true);
    if (numberEnd < piece.end) {
        if (const auto number = parseInteger(characters.slice({piece.begin, numberEnd})))
            return {Segment::Kind::mixed, *number, lowered(characters.slice({numberEnd, piece.end}))};
    }
    return {Segment::Kind::text, 0, lowered(text)};
}

std::vector<Segment> tokenizeSegments(const Characters& characters, Span span)
{
    std::vector<Segment> segments;
    for (const Span piece : characters.split(span, u"._ "))
        segments.push_back(makeSegment(characters, piece));
    return segments;
}

void appendPrereleaseIdentifiers(
    const Characters& characters, Span piece, std::vector<PrereleaseIdentifier>& identifiers)
{
    const QStringView text = characters.slice(piece);
    if (const auto value = parseInteger(text)) {
        identifiers.push_back(numericIdentifier(*value));
        return;
    }
    // A word glued to a number: "beta2", "rc1", "b3".
    const qsizetype wordEnd = characters.endOfRun(piece, false);
    if (wordEnd > piece.begin) {
        if (const auto number = parseInteger(characters.slice({wordEnd, piece.end}))) {
            identifiers.push_back(textIdentifier(writtenOut(lowered(characters.slice({piece.begin, wordEnd})))));
            identifiers.push_back(numericIdentifier(*number));
            return;
        }
    }
    identifiers.push_back(textIdentifier(writtenOut(lowered(text))));
}

std::vector<PrereleaseIdentifier> tokenizePrerelease(const Characters& characters, Span span)
{
    std::vector<PrereleaseIdentifier> identifiers;
    for (const Span piece : characters.split(span, u".-_"))
        appendPrereleaseIdentifiers(characters, piece, identifiers);
    return identifiers;
}

// Tried in this order, so that "preview2" is not read as "pre" followed by "view2".
constexpr std::array<QStringView, 8> inlinePrereleaseTags{
    u"alpha", u"beta", u"rc", u"dev", u"preview", u"pre", u"a", u"b"};

// The prerelease tag glued to the last segment's number ("0b3", "0rc", "0preview2"); empty when
// the remainder is no such tag ("0devel", "0c").
std::vector<PrereleaseIdentifier> extractInlinePrerelease(const QString& remainder)
{
    const QString text = remainder.toLower();
    for (const QStringView tag : inlinePrereleaseTags) {
        if (text == tag)
            return {textIdentifier(writtenOut(tag.toString()))};
        if (!text.startsWith(tag))
            continue;
        if (const auto number = parseInteger(QStringView(text).sliced(tag.size())))
            return {textIdentifier(writtenOut(tag.toString())), numericIdentifier(*number)};
    }
    return {};
}

ParsedVersion parse(QStringView version)
{
    const Characters characters(version.trimmed());
    Span rest{startAfterPrefix(characters), characters.text().size()};
    ParsedVersion parsed;

    // Build metadata ("+build7") takes no part in the order.
    if (const auto plus = characters.findFirst(u"+", rest))
        rest.end = *plus;
    if (const auto comma = characters.findFirst(u",", rest)) {
        parsed.secondary = tokenizeSegments(characters, {*comma + 1, rest.end});
        rest.end = *comma;
    }
    if (const auto hyphen = characters.findFirst(u"-", rest)) {
        parsed.prerelease = tokenizePrerelease(characters, {*hyphen + 1, rest.end});
        rest.end = *hyphen;
    }
    // A revision ("3.1_2") only when a number follows the last "_"; otherwise "_" separates segments.
    if (const auto underscore = characters.findLast(u"_", rest)) {
        if (const auto revision = parseInteger(characters.slice({*underscore + 1, rest.end}))) {
            parsed.revision = *revision;
            rest.end = *underscore;
        }
    }
    parsed.segments = tokenizeSegments(characters, rest);

    if (parsed.prerelease.empty() && !parsed.segments.empty() && parsed.segments.back().kind == Segment::Kind::mixed) {
        Segment& last = parsed.segments.back();
        auto identifiers = extractInlinePrerelease(last.text);
        if (!identifiers.empty()) {
            last = numericSegment(last.number);
            parsed.prerelease = std::move(identifiers);
        }
    }
    return parsed;
}

// The Finder-like order of names: case-insensitive, digit-aware ("a9" before "a10"). A collator
// must not be shared between threads, so each thread keeps its own, for the current default locale.
ComparisonResult compareLocalizedStandard(const QString& lhs, const QString& rhs)
{
    struct CachedCollator {
        QLocale locale;
        QCollator collator;
    };
    thread_local std::optional<CachedCollator> cached;
    const QLocale locale;
    if (!cached || cached->locale != locale)
        cached.emplace(CachedCollator{locale, TruneCollation::localizedStandard(locale)});
    const int order = cached->collator.compare(lhs, rhs);
    return order < 0 ? ComparisonResult::orderedAscending
                     : (order > 0 ? ComparisonResult::orderedDescending : ComparisonResult::orderedSame);
}

// Plain character order: canonically equivalent texts are equal, others go by code point of
// their composed forms.
ComparisonResult comparePlain(const QString& lhs, const QString& rhs)
{
    if (isAscii(lhs) && isAscii(rhs))
        return compareValues(lhs.compare(rhs), 0);
    const QList<uint> left = lhs.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = rhs.normalized(QString::NormalizationForm_C).toUcs4();
    if (left == right)
        return ComparisonResult::orderedSame;
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end())
        ? ComparisonResult::orderedAscending
        : ComparisonResult::orderedDescending;
}

int prereleaseRank(const QString& word)
{
    if (word == u"dev" || word == u"nightly" || word == u"canary")
        return 1;
    if (word == u"alpha")
        return 2;
    if (word == u"beta")
        return 3;
    if (word == u"pre" || word == u"preview")
        return 4;
    if (word == u"rc")
        return 5;
    return 10;
}

// At one position text is below any number, and a plain number below a mixed one with the same
// number ("5" < "5a").
ComparisonResult compareSegment(const Segment& lhs, const Segment& rhs)
{
    using Kind = Segment::Kind;
    if (lhs.kind == Kind::text || rhs.kind == Kind::text) {
        if (lhs.kind != rhs.kind)
            return lhs.kind == Kind::text ? ComparisonResult::orderedAscending : ComparisonResult::orderedDescending;
        return compareLocalizedStandard(lhs.text, rhs.text);
    }
    if (lhs.number != rhs.number)
        return compareValues(lhs.number, rhs.number);
    if (lhs.kind != rhs.kind)
        return lhs.kind == Kind::numeric ? ComparisonResult::orderedAscending : ComparisonResult::orderedDescending;
    if (lhs.kind == Kind::numeric)
        return ComparisonResult::orderedSame;
    return compareLocalizedStandard(lhs.text, rhs.text);
}

// A missing position counts as 0, so "1", "1.0" and "1.0.0" are the same.
ComparisonResult compareSegments(const std::vector<Segment>& lhs, const std::vector<Segment>& rhs)
{
    static const Segment zero = numericSegment(0);
    const std::size_t length = std::max(lhs.size(), rhs.size());
    for (std::size_t i = 0; i < length; ++i) {
        const ComparisonResult order = compareSegment(i < lhs.size() ? lhs[i] : zero, i < rhs.size() ? rhs[i] : zero);
        if (order != ComparisonResult::orderedSame)
            return order;
    }
    return ComparisonResult::orderedSame;
}

ComparisonResult compareIdentifier(const PrereleaseIdentifier& lhs, const PrereleaseIdentifier& rhs)
{
    if (lhs.isNumeric != rhs.isNumeric)
        return lhs.isNumeric ? ComparisonResult::orderedAscending : ComparisonResult::orderedDescending;
    if (lhs.isNumeric)
        return compareValues(lhs.number, rhs.number);
    const ComparisonResult plain = comparePlain(lhs.text, rhs.text);
    if (plain == ComparisonResult::orderedSame)
        return plain;
    const ComparisonResult byRank = compareValues(prereleaseRank(lhs.text), prereleaseRank(rhs.text));
    return byRank != ComparisonResult::orderedSame ? byRank : plain;
}

// When one list is the start of the other, the shorter is older ("alpha" < "alpha.1").
ComparisonResult comparePrerelease(
    const std::vector<PrereleaseIdentifier>& lhs, const std::vector<PrereleaseIdentifier>& rhs)
{
    const std::size_t shared = std::min(lhs.size(), rhs.size());
    for (std::size_t i = 0; i < shared; ++i) {
        const ComparisonResult order = compareIdentifier(lhs[i], rhs[i]);
        if (order != ComparisonResult::orderedSame)
            return order;
    }
    return compareValues(qint64(lhs.size()), qint64(rhs.size()));
}

} // namespace

ComparisonResult compare(QStringView lhs, QStringView rhs)
{
    const ParsedVersion left = parse(lhs);
    const ParsedVersion right = parse(rhs);

    if (const ComparisonResult order = compareSegments(left.segments, right.segments);
        order != ComparisonResult::orderedSame)
        return order;
    // A prerelease is older than the release it leads up to.
    if (left.prerelease.empty() != right.prerelease.empty())
        return left.prerelease.empty() ? ComparisonResult::orderedDescending : ComparisonResult::orderedAscending;
    if (const ComparisonResult order = comparePrerelease(left.prerelease, right.prerelease);
        order != ComparisonResult::orderedSame)
        return order;
    if (const ComparisonResult order = compareValues(left.revision, right.revision);
        order != ComparisonResult::orderedSame)
        return order;
    if (left.secondary.empty() || right.secondary.empty())
        return ComparisonResult::orderedSame;
    return compareSegments(left.secondary, right.secondary);
}

bool isNewer(QStringView candidate, QStringView installed)
{
    const QStringView trimmedCandidate = candidate.trimmed();
    if (trimmedCandidate.isEmpty())
        return false;
    const QStringView trimmedInstalled = installed.trimmed();
    if (trimmedInstalled.isEmpty())
        return true;
    return compare(trimmedCandidate, trimmedInstalled) == ComparisonResult::orderedDescending;
}

bool isEqual(QStringView lhs, QStringView rhs)
{
    return compare(lhs, rhs) == ComparisonResult::orderedSame;
}

bool isPrerelease(QStringView version)
{
    return !parse(version).prerelease.empty();
}

} // namespace VersionComparator
