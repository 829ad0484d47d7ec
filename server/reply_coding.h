#pragma once
// The body of a successful reply. The player reads the body as UTF-8, then
// per-cent decodes it and takes each decoded byte as one Windows-1252 character;
// so the French goes out as Windows-1252 bytes, and every byte that is not a
// letter, a digit or one of "-._~" is escaped. The body is then plain ASCII,
// which any UTF-8 reader passes through untouched, and holds no "+" (the player
// reads "+" as a space) and no "<" (which would cut the markers).
#include <string>

#include "text/text.h"

namespace vokabino {

// Each byte of text that is not A-Z, a-z, 0-9, "-", ".", "_" or "~" becomes "%"
// and two upper-case hexadecimal digits.
std::string EscapeReplyText(const Text& text);

// "<translation>", EscapeReplyText(french), "</translation>".
std::string TranslationReplyBody(const Text& french);

}  // namespace vokabino
