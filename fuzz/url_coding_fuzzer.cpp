// Per-cent coding of the translation request and reply on arbitrary bytes.
// UrlDecode is compared with a plain reading of its rules; UrlEncode's output is
// checked byte by byte; and decoding what was encoded gives the line back, except
// that "+" comes back as a space (it passes through the encoder unescaped) and a
// zero byte, which no Text holds, ends the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "text/text.h"
#include "translation/url_coding.h"

namespace vokabino {
namespace {

int ReferenceHexValue(char c) {
  const std::string_view digits = "0123456789abcdef";
  const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
  const std::size_t at = digits.find(lower);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

Text ReferenceDecode(std::string_view text) {
  Text decoded;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '+') {
      decoded += ' ';
    } else if (text[at] != '%') {
      decoded += text[at];
    } else {
      if (text.size() - at < 3) break;
      const int high = ReferenceHexValue(text[at + 1]);
      const int low = ReferenceHexValue(text[at + 2]);
      if (high < 0 || low < 0 || high * 16 + low == 0) break;
      decoded += static_cast<char>(high * 16 + low);
      at += 2;
    }
  }
  return decoded;
}

bool PassesThrough(char c) {
  const std::string_view set =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!#$&'()*+,-./:;=?@_~";
  return c != '\0' && set.find(c) != std::string_view::npos;
}

void CheckEncoded(const Text& line, const Text& encoded) {
  std::size_t escapes = 0;
  for (char c : line) escapes += PassesThrough(c) ? 0 : 1;
  FUZZ_CHECK(encoded.size() == line.size() + 2 * escapes);
  const std::string_view upperHex = "0123456789ABCDEF";
  std::size_t from = 0;
  for (char c : line) {
    if (PassesThrough(c)) {
      FUZZ_CHECK(encoded[from] == c);
      from += 1;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      FUZZ_CHECK(encoded[from] == '%' && encoded[from + 1] == upperHex[byte >> 4] &&
                 encoded[from + 2] == upperHex[byte & 0x0F]);
      from += 3;
    }
  }
}

}  // namespace
}  // namespace vokabino

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vokabino;
  const Text bytes(reinterpret_cast<const char*>(data), size);

  const Text decoded = UrlDecode(bytes);
  FUZZ_CHECK(decoded == ReferenceDecode(bytes));
  FUZZ_CHECK(decoded.size() <= bytes.size());
  if (!HoldsZeroByte(bytes)) FUZZ_CHECK(!HoldsZeroByte(decoded));

  const Text encoded = UrlEncode(bytes);
  CheckEncoded(bytes, encoded);
  Text expected(CutAtZero(bytes));
  for (char& c : expected) c = c == '+' ? ' ' : c;
  FUZZ_CHECK(UrlDecode(encoded) == expected);
  return 0;
}
