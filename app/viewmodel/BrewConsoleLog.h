#pragma once

#include <QString>

// The Homebrew console's text under its size cap. Sizes count user-perceived characters
// (extended grapheme clusters), so a trim never splits an accented letter or an emoji; the text
// itself stays exactly as brew printed it, unnormalised.
namespace BrewConsoleLog {

inline constexpr qsizetype maxCharacters = 60'000;
inline constexpr qsizetype keptCharacters = 48'000;

// Appends `chunk` to `log`; when that makes it longer than maxCharacters, keeps only its last
// keptCharacters characters.
void append(QString& log, const QString& chunk);

} // namespace BrewConsoleLog
