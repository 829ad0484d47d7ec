#pragma once
// Asking the translation service for the French of one English line. Runs on the
// caller's thread and returns only when the exchange is over (at most
// config.limits.exchangeTimeout, plus name resolution and reading the scratch file).
#include <string>

#include "text/text.h"
#include "translation/translation_config.h"

namespace vokabino {

// "http://<host>/?src=en&dest=fr&text=<UrlEncode(line)>&email=<email>&password=qx5318".
// The line's length is not limited; the e-mail address is not encoded.
std::string BuildTranslationUrl(const Text& line, const TranslationConfig& config);

// The French of line, or the empty Text on any failure (nothing is reported; an
// empty translation and a failure look alike). Sends one GET, stores the accepted
// reply's body in config.scratchPath, reads that file back as UTF-8, URL-decodes it
// and returns what stands between the first "<translation>" and the next
// "</translation>" (or the end of the reply when that closing marker is missing).
// Nothing is cached.
Text TranslateLine(const Text& line, const TranslationConfig& config);

}  // namespace vokabino
