#pragma once

#include <QString>

// Texts from outside (a command's error output, a server's message) kept to a bounded length
// without cutting a character in two.
namespace TruneShortenedText {

// The longest start of `text` of at most `maxLength` UTF-16 units that ends between
// user-perceived characters; where none ends within reach (one endless cluster of combining
// marks), between code points. Only the first maxLength + 1 units are looked at.
QString leadingCharacters(const QString& text, qsizetype maxLength);

// `text` itself when it has at most `maxLength` UTF-16 units; otherwise its leading characters
// followed by "…", at most `maxLength` units in all.
QString shortened(const QString& text, qsizetype maxLength);

} // namespace TruneShortenedText
