#include "subtitles/subtitle_loader.h"

#include <cstdint>

#include "text/text_file.h"

namespace vokabino {
namespace {

// Walks the lines of a text with a moving offset, so that each line is found
// once whatever its number.
struct LineWalker {
  std::string_view text;
  std::size_t offset = 0;
};

// The next line without its line end (CR LF, LF or CR); false when the text is
// used up. A text that ends with a line end has no empty line after it.
bool NextLine(LineWalker& walker, std::string_view& line) {
  const std::string_view text = walker.text;
  std::size_t at = walker.offset;
  if (at >= text.size()) return false;
  const std::size_t begin = at;
  // Line ends are the only bytes of interest at or below CR; one comparison per
  // byte skips the rest.
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c <= '\r' && (c == '\r' || c == '\n')) break;
    ++at;
  }
  line = text.substr(begin, at - begin);
  if (at < text.size()) {
    const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    at += crlf ? 2 : 1;
  }
  walker.offset = at;
  return true;
}

// The line with the four formatting tags removed, each in its own pass. Most
// lines hold no "<" and are returned as they are, without a copy; otherwise
// storage receives the cleaned line and the view points into it.
std::string_view WithoutTags(std::string_view line, Text& storage) {
  if (line.find('<') == std::string_view::npos) return line;
  storage.assign(line);
  for (const char* tag : {"<i>", "</i>", "<b>", "</b>"}) {
    if (storage.find(tag) != Text::npos) storage = RemoveAll(storage, tag);
  }
  return storage;
}

bool IsBlank(std::string_view line) {
  for (const char c : line) {
    if (c != ' ' && c != '\t' && c != '\v' && c != '\f') return false;
  }
  return true;
}

void ReadTiming(Cue& cue, std::string_view timing) {
  cue.start = ParseCueTime(TrimSpacesView(SplitFieldView(timing, 1, " -")));
  cue.end = ParseCueTime(TrimSpacesView(SplitFieldView(timing, 2, "> ")));
}

std::int32_t Low32Bits(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace

bool IsAllDigits(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return true;
  const std::size_t last = text.find_last_not_of(' ');
  for (std::size_t at = first; at <= last; ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
  }
  return true;
}

double ParseCueTime(std::string_view time) {
  // The ":"-fields 1 to 3 taken one after the other in a single walk; a field
  // past the last separator is empty, as SplitField gives it.
  std::string_view rest = time;
  const auto nextField = [&rest]() {
    const std::size_t at = rest.find(':');
    const std::string_view field = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return static_cast<double>(IntegerValue(field));
  };
  const double hours = nextField();
  const double minutes = nextField();
  const double seconds = nextField();  // reading stops at the comma
  const double milliseconds = static_cast<double>(IntegerValue(SplitFieldView(time, 2, ",")));
  return (hours * 3600000.0 + minutes * 60000.0 + seconds * 1000.0 + milliseconds) * 10000.0;
}

void LoadSubtitlesFromText(CueList& list, std::string_view text, const Text& language) {
  const bool keepText = TextEquals(language, "EN");
  LineWalker walker{text};
  Cue* cue = nullptr;  // the Cue this load added last; text lines before it are dropped
  std::int64_t textLines = 0;
  Text storage;  // holds a line whose tags were removed
  std::string_view raw;
  while (NextLine(walker, raw)) {
    const std::string_view line = WithoutTags(raw, storage);
    if (IsBlank(line)) continue;
    if (IsAllDigits(line)) {
      cue = &AddCue(list);
      cue->index = Low32Bits(IntegerValue(TrimSpacesView(line)));
      std::string_view timing;
      if (!NextLine(walker, timing)) timing = {};
      ReadTiming(*cue, WithoutTags(timing, storage));
      textLines = 0;
      continue;
    }
    if (keepText && cue != nullptr) {
      if (textLines > 0) cue->text += ' ';
      cue->text += line;
    }
    ++textLines;
  }
  RewindCues(list);
  NextCue(list);
}

void LoadSubtitles(CueList& list, const Text& path, const Text& language) {
  TextFile file = OpenTextFile(path);
  const TextFormat format = DetectTextFormat(file.get());
  const Text text = ReadWholeText(file.get(), format);
  CloseTextFile(file);
  LoadSubtitlesFromText(list, text, language);
}

}  // namespace vokabino
