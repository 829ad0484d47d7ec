#include "server/json_text.h"

#include <cstdint>

namespace vokabino {
namespace {

// A cursor over the document; every reader leaves it past what it read and
// returns false on malformed input.
struct JsonCursor {
  std::string_view text;
  std::size_t at = 0;
};

void SkipBlanks(JsonCursor& c) {
  while (c.at < c.text.size() &&
         (c.text[c.at] == ' ' || c.text[c.at] == '\t' || c.text[c.at] == '\n' ||
          c.text[c.at] == '\r')) {
    ++c.at;
  }
}

bool Consume(JsonCursor& c, char expected) {
  SkipBlanks(c);
  if (c.at >= c.text.size() || c.text[c.at] != expected) return false;
  ++c.at;
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool ReadHex4(JsonCursor& c, std::uint32_t& value) {
  if (c.at + 4 > c.text.size()) return false;
  value = 0;
  for (int i = 0; i < 4; ++i) {
    const char h = c.text[c.at++];
    value <<= 4;
    if (h >= '0' && h <= '9') {
      value |= static_cast<std::uint32_t>(h - '0');
    } else if (h >= 'a' && h <= 'f') {
      value |= static_cast<std::uint32_t>(h - 'a' + 10);
    } else if (h >= 'A' && h <= 'F') {
      value |= static_cast<std::uint32_t>(h - 'A' + 10);
    } else {
      return false;
    }
  }
  return true;
}

bool ReadString(JsonCursor& c, std::string& out) {
  out.clear();
  if (!Consume(c, '"')) return false;
  while (c.at < c.text.size()) {
    const char ch = c.text[c.at++];
    if (ch == '"') return true;
    if (static_cast<unsigned char>(ch) < 0x20) return false;
    if (ch != '\\') {
      out += ch;
      continue;
    }
    if (c.at >= c.text.size()) return false;
    const char escape = c.text[c.at++];
    switch (escape) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u': {
        std::uint32_t code;
        if (!ReadHex4(c, code)) return false;
        if (code >= 0xD800 && code < 0xDC00) {
          std::uint32_t low = 0;
          JsonCursor peek = c;
          if (peek.at + 1 < peek.text.size() && peek.text[peek.at] == '\\' &&
              peek.text[peek.at + 1] == 'u' && (peek.at += 2, ReadHex4(peek, low)) &&
              low >= 0xDC00 && low < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            c = peek;
          } else {
            code = 0xFFFD;
          }
        } else if (code >= 0xDC00 && code < 0xE000) {
          code = 0xFFFD;
        }
        AppendUtf8(out, code);
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

bool SkipValue(JsonCursor& c, int depth);

bool SkipContainer(JsonCursor& c, char close, bool members, int depth) {
  if (depth > 64) return false;
  SkipBlanks(c);
  if (c.at < c.text.size() && c.text[c.at] == close) {
    ++c.at;
    return true;
  }
  for (;;) {
    std::string ignored;
    if (members && (!ReadString(c, ignored) || !Consume(c, ':'))) return false;
    if (!SkipValue(c, depth + 1)) return false;
    SkipBlanks(c);
    if (c.at >= c.text.size()) return false;
    const char next = c.text[c.at++];
    if (next == close) return true;
    if (next != ',') return false;
  }
}

bool SkipValue(JsonCursor& c, int depth) {
  SkipBlanks(c);
  if (c.at >= c.text.size()) return false;
  const char first = c.text[c.at];
  if (first == '"') {
    std::string ignored;
    return ReadString(c, ignored);
  }
  if (first == '{' || first == '[') {
    ++c.at;
    return SkipContainer(c, first == '{' ? '}' : ']', first == '{', depth);
  }
  // Numbers, true, false, null: a run of the characters they are made of.
  const std::size_t start = c.at;
  while (c.at < c.text.size()) {
    const char ch = c.text[c.at];
    const bool part = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || ch == '-' ||
                      ch == '+' || ch == '.' || ch == 'E';
    if (!part) break;
    ++c.at;
  }
  return c.at > start;
}

}  // namespace

std::string JsonStringLiteral(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string literal = "\"";
  for (char ch : utf8) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      literal += '\\';
      literal += ch;
    } else if (ch == '\n') {
      literal += "\\n";
    } else if (ch == '\r') {
      literal += "\\r";
    } else if (ch == '\t') {
      literal += "\\t";
    } else if (byte < 0x20) {
      literal += "\\u00";
      literal += kHex[byte >> 4];
      literal += kHex[byte & 0x0F];
    } else {
      literal += ch;
    }
  }
  literal += '"';
  return literal;
}

std::optional<std::string> JsonStringMember(std::string_view json, std::string_view key) {
  JsonCursor c{json, 0};
  if (!Consume(c, '{')) return std::nullopt;
  SkipBlanks(c);
  if (c.at < c.text.size() && c.text[c.at] == '}') return std::nullopt;
  for (;;) {
    std::string name;
    if (!ReadString(c, name) || !Consume(c, ':')) return std::nullopt;
    SkipBlanks(c);
    if (name == key) {
      std::string value;
      if (c.at < c.text.size() && c.text[c.at] == '"' && ReadString(c, value)) return value;
      return std::nullopt;
    }
    if (!SkipValue(c, 0)) return std::nullopt;
    if (Consume(c, ',')) continue;
    return std::nullopt;
  }
}

}  // namespace vokabino
