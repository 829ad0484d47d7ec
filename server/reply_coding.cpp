#include "server/reply_coding.h"

namespace vokabino {
namespace {

bool IsUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
         byte == '~';
}

}  // namespace

std::string EscapeReplyText(const Text& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size() * 3);
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte)) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0x0F];
    }
  }
  return escaped;
}

std::string TranslationReplyBody(const Text& french) {
  return "<translation>" + EscapeReplyText(french) + "</translation>";
}

}  // namespace vokabino
