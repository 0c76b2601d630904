#include "kit/foundation/TruneSemVer.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace {

constexpr qint64 largest = std::numeric_limits<qint64>::max();

// An optional "+" or "-" followed by ASCII digits only, read as a signed 64-bit integer;
// nullopt for anything else or when the value leaves the range.
std::optional<qint64> readInteger(QStringView text)
{
    std::string ascii;
    ascii.reserve(static_cast<size_t>(text.size()));
    qsizetype first = 0;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        if (text.front() == u'-')
            ascii.push_back('-');
        first = 1;
    }
    if (first == text.size())
        return std::nullopt;
    for (const QChar c : text.sliced(first)) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    qint64 value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

// Whether `to` is at least two above `from`, without overflowing for any two 64-bit values.
bool atLeastTwoAbove(qint64 to, qint64 from)
{
    // With to > from, the difference is exact in unsigned 64-bit arithmetic.
    return to > from && static_cast<quint64>(to) - static_cast<quint64>(from) >= 2;
}

} // namespace

// ---- TruneSemVerError ----

TruneSemVerError TruneSemVerError::invalidFormat(const QString& input)
{
    TruneSemVerError error;
    error.errorCase = Case::invalidFormat;
    error.input = input;
    return error;
}

TruneSemVerError TruneSemVerError::downgradeNotAllowed(const QString& from, const QString& to)
{
    TruneSemVerError error;
    error.errorCase = Case::downgradeNotAllowed;
    error.from = from;
    error.to = to;
    return error;
}

TruneSemVerError TruneSemVerError::multiStepJumpBlocked(const QString& from, const QString& to)
{
    TruneSemVerError error = downgradeNotAllowed(from, to);
    error.errorCase = Case::multiStepJumpBlocked;
    return error;
}

TruneSemVerError TruneSemVerError::unexpectedBumpKind(
    TruneVersionBumpKind expected, const QString& from, const QString& to)
{
    TruneSemVerError error = downgradeNotAllowed(from, to);
    error.errorCase = Case::unexpectedBumpKind;
    error.expected = expected;
    return error;
}

QString TruneSemVerError::description() const
{
    switch (errorCase) {
    case Case::invalidFormat:
        return QStringLiteral("Invalid SemVer 2.0.0 string: '") + input
            + QStringLiteral("' (expected MAJOR.MINOR.PATCH).");
    case Case::downgradeNotAllowed:
        return QStringLiteral("Version downgrade blocked: ") + from + QStringLiteral(" -> ") + to + QStringLiteral(".");
    case Case::multiStepJumpBlocked:
        return QStringLiteral("Multi-step version jump blocked by Quorvane policy: ") + from + QStringLiteral(" -> ")
            + to + QStringLiteral(". Only +1 increments are permitted.");
    case Case::unexpectedBumpKind:
        return QStringLiteral("Transition ") + from + QStringLiteral(" -> ") + to
            + QStringLiteral(" does not match requested '") + rawValue(expected) + QStringLiteral("' bump.");
    }
    return {};
}

// ---- TruneSemVer ----

TruneSemVer::TruneSemVer(qint64 major, qint64 minor, qint64 patch)
    : major(std::max<qint64>(major, 0))
    , minor(std::max<qint64>(minor, 0))
    , patch(std::max<qint64>(patch, 0))
{
}

std::optional<TruneSemVer> TruneSemVer::parsing(const QString& text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'v') || trimmed.startsWith(u'V'))
        trimmed.remove(0, 1);
    const QStringList pieces = trimmed.split(u'.', Qt::KeepEmptyParts);
    if (pieces.size() != 3)
        return std::nullopt;
    std::array<qint64, 3> fields{};
    for (size_t i = 0; i < fields.size(); ++i) {
        const std::optional<qint64> value = readInteger(pieces[static_cast<qsizetype>(i)]);
        if (!value || *value < 0)
            return std::nullopt;
        fields[i] = *value;
    }
    return TruneSemVer(fields[0], fields[1], fields[2]);
}

std::expected<TruneSemVer, TruneSemVerError> TruneSemVer::parse(const QString& text)
{
    if (auto version = parsing(text))
        return *version;
    return std::unexpected(TruneSemVerError::invalidFormat(text));
}

std::optional<TruneSemVer> TruneSemVer::bumped(TruneVersionBumpKind kind) const
{
    switch (kind) {
    case TruneVersionBumpKind::build:
        return TruneSemVer(major, minor, patch);
    case TruneVersionBumpKind::patch:
        if (patch == largest)
            return std::nullopt;
        return TruneSemVer(major, minor, patch + 1);
    case TruneVersionBumpKind::minor:
        if (minor == largest)
            return std::nullopt;
        return TruneSemVer(major, minor + 1, 0);
    case TruneVersionBumpKind::major:
        if (major == largest)
            return std::nullopt;
        return TruneSemVer(major + 1, 0, 0);
    }
    return std::nullopt;
}

std::expected<void, TruneSemVerError> TruneSemVer::validateTransition(
    const TruneSemVer& from, const TruneSemVer& to, TruneVersionBumpKind kind)
{
    if (to < from)
        return std::unexpected(TruneSemVerError::downgradeNotAllowed(from.description(), to.description()));
    if (from.bumped(kind) == to)
        return {};
    const bool multiStep = atLeastTwoAbove(to.major, from.major)
        || (to.major == from.major && atLeastTwoAbove(to.minor, from.minor))
        || (to.major == from.major && to.minor == from.minor && atLeastTwoAbove(to.patch, from.patch));
    if (multiStep)
        return std::unexpected(TruneSemVerError::multiStepJumpBlocked(from.description(), to.description()));
    return std::unexpected(TruneSemVerError::unexpectedBumpKind(kind, from.description(), to.description()));
}

QString TruneSemVer::description() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

// ---- JSON ----

QJsonValue TruneJsonCoding<TruneSemVer>::encode(const TruneSemVer& version)
{
    TruneJsonObjectWriter out;
    out.write("major", version.major);
    out.write("minor", version.minor);
    out.write("patch", version.patch);
    return out.object();
}

TruneJsonResult<TruneSemVer> TruneJsonCoding<TruneSemVer>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneSemVer>(json, [](TruneJsonObjectReader& in) {
        TruneSemVer version;
        version.major = in.required<qint64>("major");
        version.minor = in.required<qint64>("minor");
        version.patch = in.required<qint64>("patch");
        return version;
    });
}
