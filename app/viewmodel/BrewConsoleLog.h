#pragma once

#include <QString>

// The Homebrew console's text under its size cap. Sizes count user-perceived characters
// (extended grapheme clusters), so a trim never splits an accented letter or an emoji; the text
// itself stays exactly as brew printed it, unnormalised.
//
// Characters are counted only over the end of the text, so an append costs the same however
// long brew runs. The cap also bounds UTF-16 units: a character may be arbitrarily long (one
// endless run of combining marks, a long chain of joined emoji), and such a run is cut by units,
// never between the two halves of a surrogate pair.
namespace BrewConsoleLog {

inline constexpr qsizetype maxCharacters = 60'000;
inline constexpr qsizetype keptCharacters = 48'000;
// Four units a character: room for text of accents and emoji before units cut it.
inline constexpr qsizetype maxUnits = 4 * maxCharacters;
inline constexpr qsizetype keptUnits = 4 * keptCharacters;

// Appends `chunk` to `log`; when that makes it longer than maxCharacters characters or maxUnits
// units, keeps only its last keptCharacters characters, and of those no more than keptUnits
// units. Returns how many units went from the front of `log`.
qsizetype append(QString& log, const QString& chunk);

} // namespace BrewConsoleLog
