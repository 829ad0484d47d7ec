#pragma once
// Text going into and coming out of Apertium's stream format. Apertium reads
// "^", "$", "[", "]", "/", "\", "@", "<", ">", "{" and "}" as markup (an unescaped
// "@" even stops a stage with "Malformed input stream"), so a line goes in with
// each of them behind a backslash. Three need more than that:
// - "~" starts the post-generator's contraction rules, which drop it, escaped or
//   not; "#" marks the fixed part of a multi-word, which moves it onto a
//   neighbouring word. Both travel as superblanks ("[~]", "[#]"), which every
//   stage passes through untouched.
// - "^", even escaped, makes the lexical-selection stage (lrx-proc) start a
//   lexical unit when it stands in the blank at the end of a line; the line's
//   NUL is then never answered. It travels as a superblank holding U+E000, a
//   private-use character no Windows-1252 line can contain.
// On the way out, escapes are taken off, superblank brackets dropped and U+E000
// turned back into "^".
//
// Pure functions over UTF-8 (or, for CleanLineForTranslation, Windows-1252)
// bytes; nothing fails.
#include <string>
#include <string_view>

#include "text/text.h"

namespace vokabino {

// The line as it is worth translating: every control byte (0x00-0x1F, 0x7F) and
// each of the five bytes Windows-1252 leaves undefined (81 8D 8F 90 9D) becomes a
// space, so a line can never carry the pipeline's NUL delimiter or a line break.
Text CleanLineForTranslation(const Text& line);

// Puts a backslash before each of Apertium's special characters, wraps "~" and
// "#" in superblanks and replaces "^" by a superblank holding U+E000.
std::string EscapeForApertium(std::string_view utf8);

// Takes the backslash off every escaped character ("\x" gives "x"), drops
// unescaped "[" and "]", which only superblanks can have left, and turns U+E000
// back into "^"; a lone backslash at the very end is dropped.
std::string UnescapeApertiumOutput(std::string_view utf8);

// The translation as it is shown: runs of white space (space, tab, CR, LF)
// become one space, spaces at either end go, and no space stays before a "," or
// "." that ends a word (followed by white space, the end, "," or ".": ".5" keeps it).
std::string TidyTranslation(std::string_view utf8);

}  // namespace vokabino
