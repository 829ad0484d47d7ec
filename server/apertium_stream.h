#pragma once
// Text going into and coming out of Apertium's stream format. Apertium reads
// "^", "$", "[", "]", "/", "\", "@", "<", ">", "{" and "}" as markup, so a line
// goes in with each of them behind a backslash, and the backslashes are taken off
// again on the way out. Pure functions over UTF-8 (or, for CleanLineForTranslation,
// Windows-1252) bytes; nothing fails.
#include <string>
#include <string_view>

#include "text/text.h"

namespace vokabino {

// The line as it is worth translating: every control byte (0x00-0x1F, 0x7F) and
// each of the five bytes Windows-1252 leaves undefined (81 8D 8F 90 9D) becomes a
// space, so a line can never carry the pipeline's NUL delimiter or a line break.
Text CleanLineForTranslation(const Text& line);

// Puts a backslash before each of Apertium's special characters.
std::string EscapeForApertium(std::string_view utf8);

// Takes the backslash off every escaped character ("\x" gives "x"); a lone
// backslash at the very end is dropped.
std::string UnescapeApertiumOutput(std::string_view utf8);

// The translation as it is shown: runs of white space (space, tab, CR, LF)
// become one space, spaces at either end go, and no space stays before a "," or
// "." that ends a word (followed by white space, the end, "," or ".": ".5" keeps it).
std::string TidyTranslation(std::string_view utf8);

}  // namespace vokabino
