#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <expected>

struct TrunePropertyListError {
    enum class Kind {
        empty,      // no bytes at all
        malformed,  // neither a readable XML nor a readable binary property list
        tooComplex, // nested or shared beyond the limits below, or larger than 4 GiB
    };

    Kind kind = Kind::malformed;
    QString reason; // English, for logs

    bool operator==(const TrunePropertyListError&) const = default;
};

// An object reference of a keyed archive (the UID type of binary property lists).
struct TrunePropertyListUid {
    quint64 value = 0;
    bool operator==(const TrunePropertyListUid&) const = default;
};

// How much a document may unfold into. Every value counts, dictionary keys included, and the bytes
// of strings and data count once for every time they are reached, so a shared object costs as
// much as its copies would.
struct TrunePropertyListLimits {
    qint64 maxValues = 250'000;
    qint64 maxBytes = 64 * 1024 * 1024; // of string and data contents, as large as the document stores them
};

// Property lists, XML or binary, read into Qt values:
//   dictionary → QVariantMap      array → QVariantList     string → QString
//   boolean    → bool             real  → double           data   → QByteArray
//   date       → QDateTime (UTC; an invalid one for a date no calendar can show, such as NaN)
//   integer    → qint64, or quint64 for an unsigned value above the signed 64-bit range
//   UID        → TrunePropertyListUid
//
// Property lists may come from hostile bundles, so a document is measured before it is built:
// one whose values nest deeper than maxDepth levels, or that would unfold beyond the limits, is
// refused instead of exhausting the stack, memory or time. XML must be well-formed and carry no
// internal DTD subset; the keys of a binary dictionary must be text without NUL characters.
namespace TrunePropertyList {

inline constexpr int maxDepth = 128;

std::expected<QVariant, TrunePropertyListError> parse(
    const QByteArray& data, const TrunePropertyListLimits& limits = {});

} // namespace TrunePropertyList
