#include "translation/translate_line.h"

#include "text/text_file.h"
#include "translation/http_client.h"
#include "translation/url_coding.h"

namespace vokabino {

std::string BuildTranslationUrl(const Text& line, const TranslationConfig& config) {
  std::string url = "http://";
  url += config.host;
  url += "/?src=en&dest=fr&text=";
  url += UrlEncode(line);
  url += "&email=";
  url += config.email;
  url += "&password=qx5318";
  return url;
}

Text TranslateLine(const Text& line, const TranslationConfig& config) {
  if (!StartNetworking()) return {};
  if (HttpGetToFile(BuildTranslationUrl(line, config), config.scratchPath, config.limits) == 0)
    return {};
  TextFile reply = OpenTextFile(config.scratchPath);
  if (!reply) return {};
  const Text decoded = UrlDecode(ReadWholeText(reply.get(), TextFormat::Utf8));
  CloseTextFile(reply);
  return SplitField(SplitField(decoded, 2, "<translation>"), 1, "</translation>");
}

}  // namespace vokabino
