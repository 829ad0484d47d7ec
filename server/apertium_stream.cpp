#include "server/apertium_stream.h"

namespace vokabino {
namespace {

bool IsApertiumSpecial(char c) {
  switch (c) {
    case '^':
    case '$':
    case '[':
    case ']':
    case '/':
    case '\\':
    case '@':
    case '<':
    case '>':
    case '{':
    case '}':
      return true;
    default:
      return false;
  }
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

Text CleanLineForTranslation(const Text& line) {
  Text clean = line;
  for (char& c : clean) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
        byte == 0x90 || byte == 0x9D) {
      c = ' ';
    }
  }
  return clean;
}

std::string EscapeForApertium(std::string_view utf8) {
  std::string escaped;
  escaped.reserve(utf8.size() + utf8.size() / 8);
  for (char c : utf8) {
    if (IsApertiumSpecial(c)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string UnescapeApertiumOutput(std::string_view utf8) {
  std::string plain;
  plain.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\\') {
      if (++i == utf8.size()) break;
    }
    plain += utf8[i];
  }
  return plain;
}

std::string TidyTranslation(std::string_view utf8) {
  std::string tidy;
  tidy.reserve(utf8.size());
  bool pendingSpace = false;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (IsWhite(c)) {
      pendingSpace = !tidy.empty();
      continue;
    }
    // "word ," and "word ." lose the space; ".5" after a space keeps it.
    const bool closesWord = (c == ',' || c == '.') &&
                            (i + 1 == utf8.size() || IsWhite(utf8[i + 1]) ||
                             utf8[i + 1] == '.' || utf8[i + 1] == ',');
    if (pendingSpace && !closesWord) tidy += ' ';
    pendingSpace = false;
    tidy += c;
  }
  return tidy;
}

}  // namespace vokabino
