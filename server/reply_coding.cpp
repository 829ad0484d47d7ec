#include "server/reply_coding.h"

#include "translation/url_coding.h"

namespace vokabino {
namespace {

bool IsUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
         byte == '~';
}

}  // namespace

std::string EscapeReplyText(const Text& text) { return PercentEncode(text, IsUnreserved); }

std::string TranslationReplyBody(const Text& french) {
  return "<translation>" + EscapeReplyText(french) + "</translation>";
}

}  // namespace vokabino
