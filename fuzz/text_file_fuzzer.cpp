// The text-file reader on whole file contents, through the real path (open,
// fstat, read) on a memory file: format detection, reading in each of the five
// formats, and the SubRip loader on top. Every result is compared with a plain
// byte-by-byte decoding written here from the rules in text/text_file.h and
// text/codepage.h, which catches faults in the reader's fast paths (eight ASCII
// bytes at a time, in-place conversion, read-ahead kept in the handle).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/memory_file.h"
#include "subtitles/cue_list.h"
#include "subtitles/subtitle_loader.h"
#include "text/codepage.h"
#include "text/text.h"
#include "text/text_file.h"

namespace vokabino {
namespace {

// The Windows-1252 byte of a code point by searching all 256 bytes; '?' when
// none (and for code point 0).
char ReferenceCp1252(char32_t codePoint) {
  for (int byte = 1; byte < 256; ++byte) {
    if (Cp1252ToCodePoint(static_cast<unsigned char>(byte)) == codePoint) {
      return static_cast<char>(byte);
    }
  }
  return '?';
}

struct ByteRange {
  unsigned char low, high;
};

// Well-formed UTF-8 (Unicode's table of well-formed byte sequences): how many
// continuation bytes follow a lead byte (-1: not a lead byte), and the range the
// first of them may take; any later one is 80 to BF.
int Utf8Continuations(unsigned char lead, ByteRange& first) {
  first = {0x80, 0xBF};
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead == 0xE0) first = {0xA0, 0xBF};
  if (lead == 0xED) first = {0x80, 0x9F};
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead == 0xF0) first = {0x90, 0xBF};
  if (lead == 0xF4) first = {0x80, 0x8F};
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// Decodes one character at bytes[at]: a well-formed sequence gives its code
// point, and an ill-formed one 0xFFFD after consuming its maximal subpart.
char32_t ReferenceNextUtf8(std::string_view bytes, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(bytes[at++]);
  if (lead < 0x80) return lead;
  ByteRange range{};
  const int more = Utf8Continuations(lead, range);
  if (more < 0) return 0xFFFD;
  char32_t value = lead & (more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07);
  for (int i = 0; i < more; ++i) {
    if (at >= bytes.size()) return 0xFFFD;
    const auto next = static_cast<unsigned char>(bytes[at]);
    if (next < range.low || next > range.high) return 0xFFFD;
    value = (value << 6) | (next & 0x3F);
    range = {0x80, 0xBF};
    ++at;
  }
  return value;
}

Text ReferenceUtf8(std::string_view bytes) {
  Text text;
  for (std::size_t at = 0; at < bytes.size();) text += ReferenceCp1252(ReferenceNextUtf8(bytes, at));
  return text;
}

bool ReferenceLooksLikeUtf8(std::string_view bytes) {
  bool nonAscii = false;
  for (std::size_t at = 0; at < bytes.size();) {
    if (static_cast<unsigned char>(bytes[at]) >= 0x80) nonAscii = true;
    if (ReferenceNextUtf8(bytes, at) == 0xFFFD) return false;
  }
  return nonAscii;
}

char32_t UnitAt(std::string_view bytes, std::size_t index, std::size_t width, bool bigEndian) {
  char32_t unit = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t at = index * width + (bigEndian ? i : width - 1 - i);
    unit = (unit << 8) | static_cast<unsigned char>(bytes[at]);
  }
  return unit;
}

// UTF-16 or UTF-32 up to the first zero unit; a last unit cut short is dropped.
Text ReferenceWide(std::string_view bytes, std::size_t width, bool bigEndian) {
  const std::size_t count = bytes.size() / width;
  Text text;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t unit = UnitAt(bytes, i, width, bigEndian);
    if (unit == 0) break;
    char32_t codePoint = unit;
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (width == 4) {
      if (high || low || unit > 0x10FFFF) codePoint = 0xFFFD;
    } else if (low) {
      codePoint = 0xFFFD;
    } else if (high) {
      const char32_t next = i + 1 < count ? UnitAt(bytes, i + 1, width, bigEndian) : 0;
      if (next >= 0xDC00 && next <= 0xDFFF) {
        codePoint = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      } else {
        codePoint = 0xFFFD;
      }
    }
    text += ReferenceCp1252(codePoint);
  }
  return text;
}

Text ReferenceRead(std::string_view bytes, TextFormat format) {
  switch (format) {
    case TextFormat::EightBit:
      return Text(CutAtZero(bytes));
    case TextFormat::Utf8:
      return ReferenceUtf8(CutAtZero(bytes));
    case TextFormat::Utf16LE:
      return ReferenceWide(bytes, 2, false);
    case TextFormat::Utf16BE:
      return ReferenceWide(bytes, 2, true);
    case TextFormat::Utf32BE:
      return ReferenceWide(bytes, 4, true);
  }
  std::abort();
}

// The format a file's bytes call for, and where its text begins.
TextFormat ReferenceDetect(std::string_view bytes, std::size_t& textBegins) {
  struct Mark {
    std::string_view bytes;
    TextFormat format;
  };
  const Mark marks[] = {
      {std::string_view("\xFF\xFE", 2), TextFormat::Utf16LE},
      {std::string_view("\xEF\xBB\xBF", 3), TextFormat::Utf8},
      {std::string_view("\xFE\xFF", 2), TextFormat::Utf16BE},
      {std::string_view("\x00\x00\xFE\xFF", 4), TextFormat::Utf32BE},
  };
  for (const Mark& mark : marks) {
    if (bytes.substr(0, mark.bytes.size()) == mark.bytes) {
      textBegins = mark.bytes.size();
      return mark.format;
    }
  }
  textBegins = 0;
  return ReferenceLooksLikeUtf8(CutAtZero(bytes)) ? TextFormat::Utf8 : TextFormat::EightBit;
}

constexpr TextFormat kFormats[] = {TextFormat::EightBit, TextFormat::Utf8, TextFormat::Utf16LE,
                                   TextFormat::Utf16BE, TextFormat::Utf32BE};

void CheckText(const Text& text, std::string_view bytes) {
  FUZZ_CHECK(!HoldsZeroByte(text));
  FUZZ_CHECK(text.size() <= bytes.size());
}

void CheckFile(std::string_view bytes) {
  const Text path = MemoryFileWithBytes(bytes);

  {  // Detection, then reading in the detected format.
    TextFile file = OpenTextFile(path);
    FUZZ_CHECK(file != nullptr);
    std::size_t textBegins = 0;
    const TextFormat expectedFormat = ReferenceDetect(bytes, textBegins);
    const TextFormat format = DetectTextFormat(file.get());
    FUZZ_CHECK(format == expectedFormat);
    const Text text = ReadWholeText(file.get(), format);
    CheckText(text, bytes);
    FUZZ_CHECK(text == ReferenceRead(bytes.substr(textBegins), format));
    FUZZ_CHECK(ReadWholeText(file.get(), format).empty());  // the file is used up
    CloseTextFile(file);
    FUZZ_CHECK(file == nullptr);
  }

  for (const TextFormat format : kFormats) {  // A format known in advance: no mark looked for.
    TextFile file = OpenTextFile(path);
    FUZZ_CHECK(file != nullptr);
    const Text text = ReadWholeText(file.get(), format);
    CheckText(text, bytes);
    FUZZ_CHECK(text == ReferenceRead(bytes, format));
  }

  CueList list;
  LoadSubtitles(list, path, "EN");
  for (const Cue& cue : list.cues) CheckText(cue.text, bytes);
}

// The code-page conversions on their own: every Windows-1252 Text survives the
// trip through UTF-8, and the in-memory converters agree with the reference.
void CheckCodePage(std::string_view bytes) {
  Text text;
  for (char c : bytes) {
    if (c != '\0') text += c;
  }
  const std::string utf8 = Cp1252ToUtf8(text);
  FUZZ_CHECK(Utf8ToCp1252(utf8) == text);
  FUZZ_CHECK(LooksLikeUtf8(utf8) == (utf8.size() != text.size()));
  FUZZ_CHECK(Utf8ToCp1252(bytes) == ReferenceUtf8(bytes));
  FUZZ_CHECK(LooksLikeUtf8(bytes) == ReferenceLooksLikeUtf8(bytes));

  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  // The reference stops at a zero unit, which Utf16ToCp1252 turns into '?'.
  const std::u16string_view unitsToZero = std::u16string_view(units).substr(0, units.find(u'\0'));
  FUZZ_CHECK(Utf16ToCp1252(unitsToZero) == ReferenceWide(bytes, 2, false));
}

}  // namespace
}  // namespace vokabino

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vokabino::CheckFile(bytes);
  vokabino::CheckCodePage(bytes);
  return 0;
}
