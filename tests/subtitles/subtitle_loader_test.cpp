#include "subtitles/subtitle_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace vokabino {
namespace {

namespace fs = std::filesystem;

// Times in milliseconds, compared with the ticks the loader stores.
struct ExpectedCue {
  std::int32_t index;
  double startMs, endMs;
  Text text;
};

void ExpectCues(const CueList& list, const std::vector<ExpectedCue>& expected,
                const std::string& what) {
  ASSERT_EQ(list.cues.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Cue& cue = list.cues[i];
    EXPECT_EQ(cue.index, expected[i].index) << what << ", cue " << i;
    EXPECT_EQ(cue.start, expected[i].startMs * 10000) << what << ", cue " << i;
    EXPECT_EQ(cue.end, expected[i].endMs * 10000) << what << ", cue " << i;
    EXPECT_EQ(cue.text, expected[i].text) << what << ", cue " << i;
  }
  // After loading, the cursor stands on the first Cue (none on an empty list).
  EXPECT_EQ(CurrentCue(list), expected.empty() ? nullptr : &list.cues[0]) << what;
}

// A Windows-1252 text in another encoding, with its byte-order mark.
std::string Encode(const Text& text, const std::string& encoding) {
  if (encoding == "cp1252") return text;
  if (encoding == "utf8") return Cp1252ToUtf8(text);
  if (encoding == "utf8-mark") return "\xEF\xBB\xBF" + Cp1252ToUtf8(text);
  const int width = encoding == "utf32be" ? 4 : 2;
  const bool little = encoding == "utf16le";
  std::string bytes;
  std::u32string points = {0xFEFF};
  for (const char c : text) points += Cp1252ToCodePoint(static_cast<unsigned char>(c));
  for (const char32_t cp : points) {
    for (int i = 0; i < width; ++i) {
      const int shift = little ? 8 * i : 8 * (width - 1 - i);
      bytes += static_cast<char>((cp >> shift) & 0xFF);
    }
  }
  return bytes;
}

class SubtitleLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vokabino-subtitles-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  CueList Load(const std::string& bytes, const Text& language = "EN") {
    const fs::path path = dir_ / ("file" + std::to_string(files_++) + ".srt");
    std::ofstream(path, std::ios::binary) << bytes;
    CueList list;
    LoadSubtitles(list, path.string(), language);
    return list;
  }

  fs::path dir_;
  int files_ = 0;
};

// Two ordinary blocks written with the given line end.
Text TwoBlocks(const Text& end) {
  return "1" + end + "00:00:01,600 --> 00:00:04,200" + end + "Caf\xE9 cr\xE8me" + end +
         "l\x92\x9C" "uvre \x80" + end + end + "2" + end + "00:01:02,500 --> 00:01:04,000" +
         end + "<i>Hello</i>" + end + end;
}
const std::vector<ExpectedCue> kTwoBlocks = {
    {1, 1600, 4200, "Caf\xE9 cr\xE8me l\x92\x9Cuvre \x80"},
    {2, 62500, 64000, "Hello"},
};

TEST_F(SubtitleLoaderTest, EveryLineEndAndEncodingGivesTheSameCues) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    for (const char* encoding : {"cp1252", "utf8", "utf8-mark", "utf16le", "utf16be", "utf32be"}) {
      const std::string what = std::string(encoding) + " with line end " +
                               (end[0] == '\n' ? "LF" : end[1] ? "CR LF" : "CR");
      ExpectCues(Load(Encode(TwoBlocks(end), encoding)), kTwoBlocks, what);
      // The last line counts without a line end too.
      Text unended = TwoBlocks(end);
      unended.resize(unended.size() - 2 * std::string(end).size());
      ExpectCues(Load(Encode(unended, encoding)), kTwoBlocks, what + ", unended");
    }
  }
}

TEST_F(SubtitleLoaderTest, BlocksFollowTheSubRipRules) {
  const Text times = "00:00:01,000 --> 00:00:02,000\r\n";
  struct Case {
    const char* what;
    Text file;
    std::vector<ExpectedCue> cues;
  };
  const Case cases[] = {
      {"one block", "12\r\n00:01:02,500 --> 00:01:04,000\r\nHello\r\nworld\r\n\r\n",
       {{12, 62500, 64000, "Hello world"}}},
      {"three text lines", "1\r\n" + times + "a\r\nb\r\nc\r\n", {{1, 1000, 2000, "a b c"}}},
      {"tags", "1\r\n" + times + "<i>Hello</i> <b>you</b>\r\n2\r\n" + times +
                   "<I>Hello</I> <u>you</u>\r\n3\r\n" + times + "<<i>i>x\r\n",
       {{1, 1000, 2000, "Hello you"}, {2, 1000, 2000, "<I>Hello</I> <u>you</u>"},
        {3, 1000, 2000, "<i>x"}}},
      {"a tagged number line", "<b>7</b>\r\n" + times + "x\r\n", {{7, 1000, 2000, "x"}}},
      {"a digit-only text line starts a Cue",
       "1\r\n" + times + "In\r\n1984\r\nwe\r\nmet\r\n",
       {{1, 1000, 2000, "In"}, {1984, 0, 0, "met"}}},
      {"spaces around the number", " 12 \r\n" + times + "x\r\n", {{12, 1000, 2000, "x"}}},
      {"a tab before the number makes a text line", "\t12\r\n" + times, {}},
      {"number line last", "1\r\n" + times + "x\r\n\r\n2\r\n",
       {{1, 1000, 2000, "x"}, {2, 0, 0, ""}}},
      {"number line last, no line end", "1\r\n" + times + "x\r\n\r\n2",
       {{1, 1000, 2000, "x"}, {2, 0, 0, ""}}},
      {"empty timing line", "1\r\n\r\nx\r\n", {{1, 0, 0, "x"}}},
      {"no space before the arrow", "1\r\n00:00:01,600-->00:00:04,200\r\n",
       {{1, 1600, 0, ""}}},
      {"text before the first number line is dropped",
       "Title\r\n\r\n1\r\n" + times + "x\r\n", {{1, 1000, 2000, "x"}}},
      {"a file that is not SubRip", "Dear diary,\r\nnothing.\r\n", {}},
      {"index keeps its low 32 bits", "4294967297\r\n" + times, {{1, 1000, 2000, ""}}},
  };
  for (const Case& c : cases) ExpectCues(Load(c.file), c.cues, c.what);
}

TEST_F(SubtitleLoaderTest, OnlyTheLanguageEnKeepsText) {
  const Text file = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n";
  for (const char* language : {"FR", "en", ""}) {
    ExpectCues(Load(file, language), {{1, 1000, 2000, ""}}, language);
  }
  ExpectCues(Load(file, "EN"), {{1, 1000, 2000, "Hello"}}, "EN");
}

// Each mended case beside what the plain rules would do with the same bytes.
TEST_F(SubtitleLoaderTest, MendedCases) {
  const Text times = "00:00:01,000 --> 00:00:02,000";
  struct Case {
    const char* what;
    std::string file;
    std::vector<ExpectedCue> cues;
  };
  const Case cases[] = {
      // Unmended, LF or CR alone yielded no line at all.
      {"LF line ends", "1\n" + times + "\nHi\n", {{1, 1000, 2000, "Hi"}}},
      {"CR line ends", "1\r" + times + "\rHi\r", {{1, 1000, 2000, "Hi"}}},
      {"mixed line ends", "1\r\n" + times + "\rHi\nthere\r\n\n2\n" + times + "\n",
       {{1, 1000, 2000, "Hi there"}, {2, 1000, 2000, ""}}},
      // Unmended, a last line without a line end was lost.
      {"last text line without line end", "1\r\n" + times + "\r\nHi\r\nthere",
       {{1, 1000, 2000, "Hi there"}}},
      // Unmended, a line of spaces was a number line of index 0 that swallowed
      // the next number line as its timing line.
      {"line of spaces between blocks",
       "1\r\n" + times + "\r\nA\r\n   \r\n2\r\n" + times + "\r\nB\r\n",
       {{1, 1000, 2000, "A"}, {2, 1000, 2000, "B"}}},
      {"line of tabs and spaces", "1\r\n" + times + "\r\nA\r\n \t \r\n2\r\n" + times + "\r\n",
       {{1, 1000, 2000, "A"}, {2, 1000, 2000, ""}}},
      {"line left blank by its tags", "1\r\n" + times + "\r\nA\r\n<i> </i>\r\n2\r\n" + times,
       {{1, 1000, 2000, "A"}, {2, 1000, 2000, ""}}},
      // Unmended, UTF-8 without a mark came out as two characters for one.
      {"UTF-8 without mark", "1\r\n" + times + "\r\ncaf\xC3\xA9\r\n",
       {{1, 1000, 2000, "caf\xE9"}}},
      {"UTF-8 with mark", "\xEF\xBB\xBF" "1\r\n" + times + "\r\ncaf\xC3\xA9\r\n",
       {{1, 1000, 2000, "caf\xE9"}}},
      // Unmended, every three-byte character (and the two-byte "œ") became "?".
      {"UTF-8 typography", "1\r\n" + times + "\r\n\xE2\x80\x99\xC5\x93\xE2\x82\xAC\xE6\x97\xA5\r\n",
       {{1, 1000, 2000, "\x92\x9C\x80?"}}},
      {"Windows-1252 stays as it is", "1\r\n" + times + "\r\ncaf\xE9 \x92\r\n",
       {{1, 1000, 2000, "caf\xE9 \x92"}}},
  };
  for (const Case& c : cases) ExpectCues(Load(c.file), c.cues, c.what);
}

TEST(ParseCueTime, FieldsArePositional) {
  struct Case {
    Text time;
    double ms;
  };
  const Case cases[] = {
      {"00:01:02,500", 62500},
      {"01:02,500", 3600000 + 120000 + 500},
      {"00:00:01,5", 1005},
      {"00:00:01.500", 1000},
      {"", 0},
      {"-00:00:01,000", 1000},  // "-00" is minus zero hours
      {"00:00:01,000 --> x", 1000},
      {"10:00:00,000", 36000000},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCueTime(c.time), c.ms * 10000) << c.time;
  const double huge = ParseCueTime("99999999999999999999:00:00,000");
  EXPECT_TRUE(std::isfinite(huge));
  EXPECT_EQ(huge, std::trunc(huge));
  EXPECT_EQ(huge, 7766279631452241919.0 * 3600000 * 10000);
}

TEST_F(SubtitleLoaderTest, MissingFileGivesAnEmptyList) {
  CueList list;
  LoadSubtitles(list, (dir_ / "missing.srt").string(), "EN");
  EXPECT_TRUE(list.cues.empty());
  EXPECT_EQ(CurrentCue(list), nullptr);
  LoadSubtitles(list, dir_.string(), "EN");  // a folder is no file either
  EXPECT_TRUE(list.cues.empty());
}

TEST_F(SubtitleLoaderTest, BadBytesLoadByTheRules) {
  const Text times = "00:00:01,000 --> 00:00:02,000\r\n";
  const std::string megabyte(1 << 20, 'x');
  struct Case {
    const char* what;
    std::string file;
    std::vector<ExpectedCue> cues;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"lone UTF-8 mark", "\xEF\xBB\xBF", {}},
      {"lone UTF-16 mark", "\xFF\xFE", {}},
      {"a zero byte ends the text", std::string("1\r\n") + times + "ab" + '\0' + "cd\r\n2\r\n",
       {{1, 1000, 2000, "ab"}}},
      {"UTF-16 cut inside a unit", Encode("1\r\n" + times + "ab", "utf16le") + "c",
       {{1, 1000, 2000, "ab"}}},
      {"a 1 MiB text line", "1\r\n" + times + megabyte + "\r\n", {{1, 1000, 2000, megabyte}}},
      {"a 1 MiB number line", Text(1 << 20, '9') + "\r\n", {{-1, 0, 0, ""}}},
      {"a 1 MiB timing line", "1\r\n" + megabyte + "\r\n", {{1, 0, 0, ""}}},
      {"a 1 MiB line of separators", "1\r\n" + Text(1 << 20, ':') + "\r\n", {{1, 0, 0, ""}}},
  };
  for (const Case& c : cases) ExpectCues(Load(c.file), c.cues, c.what);
}

// Random bytes of random length, as a Text and as files behind each byte-order
// mark: loading must neither fail nor leave a Cue holding a line end or a zero
// byte, and the cursor must end on the first Cue.
TEST_F(SubtitleLoaderTest, AnyBytesLoad) {
  std::mt19937 random(20240611);
  const std::string alphabet = std::string("0123456789 :,->\r\n<i>/b\t\xEF\xBB\xBF\xFF\xFE", 28) +
                               std::string(1, '\0');
  const std::string marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF",
                               std::string("\0\0\xFE\xFF", 4)};
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 300, '\0');
    for (char& c : bytes) {
      c = random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    }
    CueList list;
    if (round % 5 == 0) {
      list = Load(marks[random() % 5] + bytes);
    } else {
      LoadSubtitlesFromText(list, bytes.substr(0, bytes.find('\0')), "EN");
    }
    EXPECT_EQ(CurrentCue(list), list.cues.empty() ? nullptr : &list.cues[0]);
    for (const Cue& cue : list.cues) {
      EXPECT_EQ(cue.text.find_first_of(std::string("\r\n\0", 3)), Text::npos) << round;
      EXPECT_TRUE(std::isfinite(cue.start) && std::isfinite(cue.end)) << round;
    }
  }
}

}  // namespace
}  // namespace vokabino
