#pragma once
// A SubRip file of a given number of Cues, as subtitle files come today: UTF-8
// without a byte-order mark, CR LF line ends, one or two text lines per Cue, some
// in italics, a typographic apostrophe now and then. About 90 bytes per Cue.
#include <cstdio>
#include <string>

namespace vokabino::bench {

inline std::string SrtTime(long long ms) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld,%03lld", ms / 3600000,
                ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
  return buffer;
}

inline std::string GeneratedSrt(int cues) {
  static const char* const kLines[] = {
      "I don\xE2\x80\x99t think we should go there.",
      "<i>Where were you last night?</i>",
      "Nobody knows what happened.",
      "We\xE2\x80\x99ll meet at the station at noon.",
      "Give me the keys, now!",
      "That\xE2\x80\x99s not what I meant.",
      "- Really?",
      "- Yes, really.",
  };
  std::string srt;
  srt.reserve(static_cast<std::size_t>(cues) * 96);
  for (int i = 1; i <= cues; ++i) {
    const long long start = i * 2500LL;
    srt += std::to_string(i) + "\r\n" + SrtTime(start) + " --> " + SrtTime(start + 2000) + "\r\n";
    srt += kLines[i % 8];
    srt += "\r\n";
    if (i % 3 == 0) {
      srt += kLines[(i + 3) % 8];
      srt += "\r\n";
    }
    srt += "\r\n";
  }
  return srt;
}

}  // namespace vokabino::bench
