#include "text/text_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "text/codepage.h"

namespace vokabino {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vokabino-text-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes bytes to a file in the test's folder; returns its path as a Text.
  Text Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }

  struct Read {
    TextFormat format;
    Text text;
  };
  static Read DetectAndRead(const Text& path) {
    TextFile file = OpenTextFile(path);
    EXPECT_NE(file, nullptr) << path;
    const TextFormat format = DetectTextFormat(file.get());
    Text text = ReadWholeText(file.get(), format);
    CloseTextFile(file);
    EXPECT_EQ(file, nullptr);
    return {format, std::move(text)};
  }

  fs::path dir_;
};

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

TEST_F(TextFileTest, MarkOrContentDecidesTheFormat) {
  struct Case {
    const char* what;
    std::string bytes;
    TextFormat format;
    Text text;
  };
  const Case cases[] = {
      {"empty file", "", TextFormat::EightBit, ""},
      {"one byte", "\xFF", TextFormat::EightBit, "\xFF"},
      {"ASCII", "1\r\nHi\n", TextFormat::EightBit, "1\r\nHi\n"},
      {"Windows-1252", "caf\xE9 \x92", TextFormat::EightBit, "caf\xE9 \x92"},
      {"UTF-8 without mark", "caf\xC3\xA9 \xE2\x80\x99", TextFormat::Utf8, "caf\xE9 \x92"},
      {"nearly UTF-8 without mark", "caf\xC3\xA9 \xE9", TextFormat::EightBit,
       "caf\xC3\xA9 \xE9"},
      {"UTF-8 only before the zero byte counts", Bytes("\xC3\xA9\0\xE9", 4), TextFormat::Utf8,
       "\xE9"},
      {"UTF-8 mark", "\xEF\xBB\xBF" "caf\xC3\xA9\r\n", TextFormat::Utf8, "caf\xE9\r\n"},
      {"UTF-8 mark with bad bytes", "\xEF\xBB\xBF" "a\xE9", TextFormat::Utf8, "a?"},
      {"lone UTF-8 mark", "\xEF\xBB\xBF", TextFormat::Utf8, ""},
      {"UTF-16 LE", Bytes("\xFF\xFE" "c\0\xE9\0\x19\x20\r\0\n\0", 12), TextFormat::Utf16LE,
       "c\xE9\x92\r\n"},
      {"UTF-16 LE, odd last byte", Bytes("\xFF\xFE" "a\0b", 5), TextFormat::Utf16LE, "a"},
      {"UTF-16 LE, zero unit", Bytes("\xFF\xFE" "a\0\0\0b\0", 8), TextFormat::Utf16LE, "a"},
      {"UTF-16 LE, zero byte inside a unit", Bytes("\xFF\xFE" "a\0\0\x01", 6),
       TextFormat::Utf16LE, "a?"},
      {"lone UTF-16 LE mark", "\xFF\xFE", TextFormat::Utf16LE, ""},
      {"UTF-32 LE mark taken as UTF-16 LE", Bytes("\xFF\xFE\0\0a\0\0\0", 8),
       TextFormat::Utf16LE, ""},
      {"UTF-16 BE", Bytes("\xFE\xFF\0c\0\xE9\x01\x53", 8), TextFormat::Utf16BE, "c\xE9\x9C"},
      {"UTF-32 BE", Bytes("\0\0\xFE\xFF\0\0\0c\0\0\x20\xAC\0\x01\xF6\x00", 16),
       TextFormat::Utf32BE, "c\x80?"},
      {"eight-bit with a zero byte", Bytes("ab\0cd", 5), TextFormat::EightBit, "ab"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const Read read = DetectAndRead(Write("case" + std::to_string(n++), c.bytes));
    EXPECT_EQ(read.format, c.format) << c.what;
    EXPECT_EQ(read.text, c.text) << c.what;
  }
}

TEST_F(TextFileTest, Utf16FileReadsLikeTheSameEightBitFile) {
  const Text text = "1\r\n00:00:01,000 --> 00:00:02,000\r\nL\x92\x9Cuvre co\xFBte 5\x80\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char c : text) {
    const char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(c));
    utf16 += static_cast<char>(cp & 0xFF);
    utf16 += static_cast<char>(cp >> 8);
  }
  EXPECT_EQ(DetectAndRead(Write("utf16.srt", utf16)).text, text);
  EXPECT_EQ(DetectAndRead(Write("cp1252.srt", text)).text, text);
}

TEST_F(TextFileTest, KnownFormatReadsTheMarkAsACharacter) {
  const Text path = Write("reply.txt", "\xEF\xBB\xBF<translation>\xC5\x93uf</translation>");
  TextFile file = OpenTextFile(path);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadWholeText(file.get(), TextFormat::Utf8), "?<translation>\x9Cuf</translation>");
  // Everything has been read: a second read gives the empty Text.
  EXPECT_EQ(ReadWholeText(file.get(), TextFormat::Utf8), "");
}

TEST_F(TextFileTest, ReadAheadAndRestOfALargeFileJoinUp) {
  std::string body;
  for (int i = 0; body.size() < 300000; ++i) body += "line " + std::to_string(i) + "\r\n";
  EXPECT_EQ(DetectAndRead(Write("big-mark.txt", "\xEF\xBB\xBF" + body)).text, body);
  EXPECT_EQ(DetectAndRead(Write("big-plain.txt", body)).text, body);
  EXPECT_EQ(DetectAndRead(Write("big-utf8.txt", body + "\xC3\xA9")).text, body + "\xE9");
}

TEST_F(TextFileTest, NoHandleReadsAsNothing) {
  TextFile missing = OpenTextFile((dir_ / "missing.srt").string());
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(OpenTextFile(dir_.string()), nullptr);  // a directory
  EXPECT_EQ(OpenTextFile(""), nullptr);
  EXPECT_EQ(DetectTextFormat(nullptr), TextFormat::EightBit);
  EXPECT_EQ(ReadWholeText(nullptr, TextFormat::Utf8), "");
  CloseTextFile(missing);
}

TEST_F(TextFileTest, PathIsWindows1252) {
  std::ofstream(dir_ / "caf\u00E9.srt", std::ios::binary) << "x";
  const Text path = dir_.string() + "/caf\xE9.srt";
  EXPECT_EQ(DetectAndRead(path).text, "x");
}

}  // namespace
}  // namespace vokabino
