#include "text/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vokabino {
namespace {

constexpr char32_t kInvalid = 0xFFFD;

// Bytes 80 to 9F of Windows-1252; the undefined ones keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
  return byte >= low && byte <= high;
}

// Decodes the UTF-8 sequence at bytes[at] and moves at past it. An ill-formed
// sequence gives kInvalid and consumes its maximal subpart (at least one byte),
// so the caller always advances and never reads past the end.
char32_t NextUtf8(const unsigned char* bytes, std::size_t size, std::size_t& at) {
  const unsigned char lead = bytes[at++];
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t value = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the first continuation
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return kInvalid;
  }
  for (int i = 1; i < length; ++i) {
    if (at >= size || !IsContinuation(bytes[at], low, high)) return kInvalid;
    value = (value << 6) | (bytes[at++] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return value;
}

// True when the 8 bytes are all ASCII and none is zero (a zero byte must become
// '?', which the byte-by-byte path does).
bool IsAsciiWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  const bool hasZero = ((word - kOnes) & ~word & kHighs) != 0;
  return (word & kHighs) == 0 && !hasZero;
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Decodes one UTF-16 character from units read by unitAt(i), moving at past it.
template <typename UnitAt>
char32_t NextUtf16(UnitAt unitAt, std::size_t count, std::size_t& at) {
  const char32_t unit = unitAt(at++);
  if (IsHighSurrogate(unit)) {
    if (at < count && IsLowSurrogate(unitAt(at))) {
      const char32_t low = unitAt(at++);
      return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    return kInvalid;
  }
  if (IsLowSurrogate(unit)) return kInvalid;
  return unit;
}

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

char CodePointToCp1252(char32_t codePoint) {
  if (codePoint == 0) return '?';
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<char>(codePoint);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
  }
  return '?';
}

std::string Cp1252ToUtf8(const Text& text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(c));
    if (cp < 0x80) {
      utf8 += static_cast<char>(cp);
    } else if (cp < 0x800) {
      utf8 += static_cast<char>(0xC0 | (cp >> 6));
      utf8 += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (cp >> 12));
      utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return utf8;
}

Text Utf8ToCp1252(std::string_view utf8) {
  std::string bytes(utf8);
  ConvertUtf8InPlace(bytes);
  return bytes;
}

Text Utf16ToCp1252(std::u16string_view utf16) {
  Text text;
  text.reserve(utf16.size());
  const auto unitAt = [&](std::size_t i) { return static_cast<char32_t>(utf16[i]); };
  for (std::size_t at = 0; at < utf16.size();) {
    text += CodePointToCp1252(NextUtf16(unitAt, utf16.size(), at));
  }
  return text;
}

bool LooksLikeUtf8(std::string_view view) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(view.data());
  const std::size_t size = view.size();
  bool nonAscii = false;
  std::size_t at = 0;
  while (at < size) {
    if (size - at >= 8 && IsAsciiWord(bytes + at)) {
      at += 8;
      continue;
    }
    if (bytes[at] < 0x80) {
      ++at;
      continue;
    }
    nonAscii = true;
    if (NextUtf8(bytes, size, at) == kInvalid) return false;
  }
  return nonAscii;
}

void ConvertUtf8InPlace(std::string& text) {
  // Each sequence of one or more bytes gives exactly one byte, so the write
  // position never overtakes the read position.
  auto* bytes = reinterpret_cast<unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t out = 0;
  std::size_t at = 0;
  while (at < size) {
    if (size - at >= 8 && IsAsciiWord(bytes + at)) {
      if (out != at) std::memmove(bytes + out, bytes + at, 8);
      out += 8;
      at += 8;
      continue;
    }
    bytes[out++] = static_cast<unsigned char>(CodePointToCp1252(NextUtf8(bytes, size, at)));
  }
  text.resize(out);
}

void ConvertUtf16InPlace(std::string& text, ByteOrder order) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t count = text.size() / 2;
  const auto unitAt = [&](std::size_t i) -> char32_t {
    const unsigned first = bytes[2 * i], second = bytes[2 * i + 1];
    return order == ByteOrder::LittleEndian ? first | (second << 8) : (first << 8) | second;
  };
  std::size_t out = 0;
  for (std::size_t at = 0; at < count;) {
    // The unit(s) just read lie at or beyond 2 * out, so writing at out is safe.
    const char32_t cp = NextUtf16(unitAt, count, at);
    text[out++] = CodePointToCp1252(cp);
  }
  text.resize(out);
}

void ConvertUtf32InPlace(std::string& text, ByteOrder order) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t count = text.size() / 4;
  std::size_t out = 0;
  for (std::size_t at = 0; at < count; ++at) {
    char32_t cp = 0;
    for (int i = 0; i < 4; ++i) {
      const int index = order == ByteOrder::BigEndian ? i : 3 - i;
      cp = (cp << 8) | bytes[4 * at + index];
    }
    if (cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) cp = kInvalid;
    text[out++] = CodePointToCp1252(cp);
  }
  text.resize(out);
}

}  // namespace vokabino
