#pragma once

#include <QString>

// The Homebrew console's text under its size cap. Sizes count user-perceived characters
// (extended grapheme clusters), so a trim never splits an accented letter or an emoji; the text
// itself stays exactly as brew printed it, unnormalised.
namespace BrewConsoleLog {

inline constexpr qsizetype maxCharacters = 60'000;
inline constexpr qsizetype keptCharacters = 48'000;

// `log` followed by `chunk`; when that is longer than maxCharacters, only its last
// keptCharacters characters.
QString appending(const QString& log, const QString& chunk);

} // namespace BrewConsoleLog
