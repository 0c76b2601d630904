#pragma once

#include "kit/platform/ComparisonResult.h"

#include <QStringView>

// Orders the free-form version strings that apps, appcast feeds and Homebrew report, such as
// "2.0", "v2.0.1", "2.0b3", "1.4-rc.2", "3.1_2" or "1.0,2024.05". A version reads as main
// segments, prerelease identifiers (after "-", or a tag such as "b3" glued to the last
// segment), a revision (after the last "_") and a secondary part (after ","), compared in that
// order. Every text parses to some version, so nothing here fails; no state, any thread.
//
// compare() is NOT a strict weak ordering: never hand it (or isEqual) to std::sort,
// std::stable_sort, std::set / std::map or a binary search. The secondary part only counts when
// both sides have one, so "1.0,5" is the same as "1.0" and "1.0" the same as "1.0,12", yet
// "1.0,5" is older than "1.0,12": sameness is not transitive, and those algorithms need it to
// be. "Older" on its own is irreflexive and transitive (a strict partial order), so picking the
// newest of a list by pairwise isNewer() is sound.
namespace VersionComparator {

// orderedAscending when lhs is older, orderedDescending when lhs is newer.
ComparisonResult compare(QStringView lhs, QStringView rhs);

// Whether candidate is a newer version than installed. Both are trimmed first: a blank
// candidate is never newer; any other candidate is newer than a blank installed version.
bool isNewer(QStringView candidate, QStringView installed);

bool isEqual(QStringView lhs, QStringView rhs);

// Whether the version carries prerelease identifiers ("2.0b3", "1.0-rc.1", "1.0-1").
bool isPrerelease(QStringView version);

} // namespace VersionComparator
