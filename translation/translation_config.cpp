#include "translation/translation_config.h"

#include <cstdlib>

namespace vokabino {

TranslationConfig ReadTranslationConfig(const EnvironmentLookup& lookup) {
  TranslationConfig config;
  const char* host = lookup("VOKABINO_TRANSLATION_HOST");
  if (host != nullptr && *host != '\0') config.host = host;
  const char* email = lookup("VOKABINO_TRANSLATION_EMAIL");
  if (email != nullptr && *email != '\0') config.email = email;
  return config;
}

TranslationConfig ReadTranslationConfig() {
  return ReadTranslationConfig([](const char* name) { return std::getenv(name); });
}

}  // namespace vokabino
