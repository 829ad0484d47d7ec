#pragma once
// The one place where Windows-1252 meets Unicode. Every conversion between the
// system's Text and UTF-8/UTF-16/UTF-32 goes through here, so the subtitle
// reader, the translation reply reader and the toolkit agree on every character.
//
// Mapping rule: a character that Windows-1252 holds becomes its byte (é, ’, “, ”,
// …, –, —, œ, € included); any other character, an ill-formed sequence and the
// zero character become one '?'. Nothing here fails or allocates beyond its
// result.
#include <cstddef>
#include <string>
#include <string_view>

#include "text/text.h"

namespace vokabino {

// The Unicode code point of one Windows-1252 byte. The five bytes the code page
// leaves undefined (81 8D 8F 90 9D) map to the C1 control of the same value, so
// the mapping is one-to-one over all 256 bytes.
char32_t Cp1252ToCodePoint(unsigned char byte);
// The Windows-1252 byte for a code point, or '?' when the code page lacks it.
// Code point 0 also gives '?': a Text holds no zero byte.
char CodePointToCp1252(char32_t codePoint);

// Windows-1252 Text to UTF-8 bytes (for file names and the display).
std::string Cp1252ToUtf8(const Text& text);
// UTF-8 bytes to Text. Each ill-formed stretch (its maximal subpart, as Unicode
// recommends: a stray continuation byte, a truncated sequence, an overlong form,
// a surrogate) becomes one '?'. A byte-order mark is an ordinary character
// (U+FEFF, so '?').
Text Utf8ToCp1252(std::string_view utf8);
// UTF-16 code units (already in host order) to Text; unpaired surrogates become '?'.
Text Utf16ToCp1252(std::u16string_view utf16);

// True when the bytes form valid UTF-8 and at least one byte is not ASCII.
bool LooksLikeUtf8(std::string_view bytes);

// In-place forms for the file reader, which holds a whole file in one buffer and
// must not need a second one: the buffer's bytes, in the named encoding, are
// replaced by the Text they convert to (never longer than the bytes). A last unit
// cut short (an odd byte of UTF-16, 1 to 3 bytes of UTF-32) is dropped. Zero
// units are not treated specially here; the reader cuts the text at them first.
enum class ByteOrder { LittleEndian, BigEndian };
void ConvertUtf8InPlace(std::string& bytes);
void ConvertUtf16InPlace(std::string& bytes, ByteOrder order);
void ConvertUtf32InPlace(std::string& bytes, ByteOrder order);

}  // namespace vokabino
