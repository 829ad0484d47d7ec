#include "translation/url_coding.h"

namespace vokabino {
namespace {

bool PassesThrough(unsigned char byte) {
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) return true;
  if (byte >= 0x26 && byte <= 0x3B) return true;  // & ' ( ) * + , - . / 0-9 : ;
  switch (byte) {
    case '!':
    case '#':
    case '$':
    case '=':
    case '?':
    case '@':
    case '_':
    case '~':
      return true;
    default:
      return false;
  }
}

// The value of one hexadecimal digit, or -1 for any other byte.
int HexDigitValue(unsigned char byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -1;
}

}  // namespace

Text PercentEncode(const Text& text, bool (*keep)(unsigned char byte)) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text encoded;
  encoded.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (keep(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

Text UrlEncode(const Text& text) { return PercentEncode(text, PassesThrough); }

Text UrlDecode(const Text& text) {
  Text decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      decoded += ' ';
    } else if (c == '%') {
      if (i + 2 >= text.size()) return decoded;
      const int high = HexDigitValue(static_cast<unsigned char>(text[i + 1]));
      const int low = HexDigitValue(static_cast<unsigned char>(text[i + 2]));
      if (high < 0 || low < 0) return decoded;
      const int value = high * 16 + low;
      if (value == 0) return decoded;
      decoded += static_cast<char>(value);
      i += 2;
    } else {
      decoded += c;
    }
  }
  return decoded;
}

}  // namespace vokabino
