// The SubRip loader over whole file contents in memory. The optimised loader
// (views, a moving line cursor, tag removal only when a "<" is present, one
// scratch buffer reused between lines) is checked against a plain re-reading of
// the same rules built from the Text helpers, for the language that keeps text
// and for one that drops it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "subtitles/cue_list.h"
#include "subtitles/subtitle_loader.h"
#include "text/text.h"

namespace vokabino {
namespace {

// Lines end at CR LF, LF or CR; a last line counts without a line end, and a
// text that ends with a line end has no empty line after it.
std::vector<Text> ReferenceLines(std::string_view text) {
  std::vector<Text> lines;
  Text line;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

Text ReferenceWithoutTags(Text line) {
  for (const char* tag : {"<i>", "</i>", "<b>", "</b>"}) line = RemoveAll(line, tag);
  return line;
}

bool ReferenceIsBlank(const Text& line) {
  for (char c : line) {
    if (c != ' ' && c != '\t' && c != '\v' && c != '\f') return false;
  }
  return true;
}

bool ReferenceIsNumberLine(const Text& line) {
  const Text trimmed = TrimSpaces(line);
  for (char c : trimmed) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

double ReferenceCueTime(const Text& time) {
  const auto field = [&](std::int64_t index) {
    return static_cast<double>(IntegerValue(SplitField(time, index, ":")));
  };
  const double milliseconds = static_cast<double>(IntegerValue(SplitField(time, 2, ",")));
  return (field(1) * 3600000.0 + field(2) * 60000.0 + field(3) * 1000.0 + milliseconds) * 10000.0;
}

std::vector<Cue> ReferenceLoad(std::string_view text, bool keepText) {
  const std::vector<Text> lines = ReferenceLines(text);
  std::vector<Cue> cues;
  std::int64_t textLines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Text line = ReferenceWithoutTags(lines[i]);
    if (ReferenceIsBlank(line)) continue;
    if (ReferenceIsNumberLine(line)) {
      Cue cue;
      cue.index = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(static_cast<std::uint64_t>(IntegerValue(TrimSpaces(line)))));
      Text timing;
      if (i + 1 < lines.size()) timing = ReferenceWithoutTags(lines[++i]);
      cue.start = ReferenceCueTime(TrimSpaces(SplitField(timing, 1, " -")));
      cue.end = ReferenceCueTime(TrimSpaces(SplitField(timing, 2, "> ")));
      cues.push_back(cue);
      textLines = 0;
      continue;
    }
    if (keepText && !cues.empty()) {
      if (textLines > 0) cues.back().text += ' ';
      cues.back().text += line;
    }
    ++textLines;
  }
  return cues;
}

bool SameCue(const Cue& a, const Cue& b) {
  return a.index == b.index && a.start == b.start && a.end == b.end && a.text == b.text;
}

void CheckLoad(std::string_view text, const Text& language) {
  CueList list;
  LoadSubtitlesFromText(list, text, language);
  const std::vector<Cue> expected = ReferenceLoad(text, language == "EN");
  FUZZ_CHECK(list.cues.size() == expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Cue& cue = list.cues[i];
    FUZZ_CHECK(SameCue(cue, expected[i]));
    FUZZ_CHECK(std::isfinite(cue.start) && std::trunc(cue.start) == cue.start);
    FUZZ_CHECK(std::isfinite(cue.end) && std::trunc(cue.end) == cue.end);
    FUZZ_CHECK(cue.text.find_first_of("\r\n") == Text::npos);
    FUZZ_CHECK(cue.text.size() <= text.size());
  }
  FUZZ_CHECK(list.cursor == (list.cues.empty() ? CueList::npos : 0));
}

}  // namespace
}  // namespace vokabino

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vokabino::CheckLoad(text, "EN");
  vokabino::CheckLoad(text, "FR");
  return 0;
}
