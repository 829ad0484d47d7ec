#pragma once
// Where the translation service is and who asks it: read once from the
// environment at start-up and handed to every TranslateLine call.
#include <functional>
#include <string>

#include "text/text.h"
#include "translation/http_client.h"

namespace vokabino {

struct TranslationConfig {
  std::string host = "127.0.0.1:7318";      // host, or host:port, of the service
  std::string email = "learner@localhost";  // sent unencoded with every request
  Text scratchPath = "teste.txt";           // holds the last accepted reply; relative to the
                                            // current directory unless absolute
  HttpLimits limits;
};

// Looks up one environment variable; null or an empty value means unset.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// Reads VOKABINO_TRANSLATION_HOST and VOKABINO_TRANSLATION_EMAIL; a variable that
// is unset or empty keeps its default. Nothing else comes from the environment.
TranslationConfig ReadTranslationConfig(const EnvironmentLookup& lookup);
// The same from the process environment.
TranslationConfig ReadTranslationConfig();

}  // namespace vokabino
