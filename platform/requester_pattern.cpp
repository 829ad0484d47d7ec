#include "platform/requester_pattern.h"

namespace vokabino {

namespace {

std::vector<Text> SplitAt(const Text& text, char separator) {
  std::vector<Text> parts;
  Text::size_type begin = 0;
  for (;;) {
    const auto end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end == Text::npos ? Text::npos : end - begin));
    if (end == Text::npos) return parts;
    begin = end + 1;
  }
}

}  // namespace

std::vector<FileFilter> ParseRequesterPattern(const Text& pattern) {
  std::vector<FileFilter> filters;
  if (pattern.empty()) return filters;
  const auto parts = SplitAt(pattern, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    FileFilter filter;
    filter.name = parts[i];
    const Text list = i + 1 < parts.size() ? parts[i + 1] : Text("*");
    for (Text p : SplitAt(list, ';')) {
      if (p == "*.*") p = "*";  // files without an extension count too
      if (!p.empty()) filter.patterns.push_back(p);
    }
    if (filter.patterns.empty()) filter.patterns.push_back("*");
    filters.push_back(filter);
  }
  return filters;
}

}  // namespace vokabino
