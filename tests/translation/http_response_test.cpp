#include "translation/http_response.h"

#include <gtest/gtest.h>

#include <string>

namespace vokabino {
namespace {

struct FramingCase {
  const char* name;
  std::string reply;
  ResponseState state;  // after every byte of reply has been fed
  std::string body;
  bool bodyBegun;
};

const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunkedHead = kOk + "Transfer-Encoding: chunked\r\n\r\n";

const FramingCase kFramingCases[] = {
    {"length", kOk + "Content-Length: 5\r\n\r\nhelloEXTRA", ResponseState::BodyComplete, "hello",
     true},
    {"length_lower_case_no_blank", kOk + "content-length:3\r\n\r\nabcd",
     ResponseState::BodyComplete, "abc", true},
    {"length_many_digits", kOk + "Content-Length:   000000000000000000000000000003\r\n\r\nabcd",
     ResponseState::BodyComplete, "abc", true},
    {"length_beyond_64_bits_saturates",
     kOk + "Content-Length: 999999999999999999999999999\r\n\r\nabc", ResponseState::ReadingBody,
     "abc", true},
    {"length_zero", kOk + "Content-Length: 0\r\n\r\nabc", ResponseState::BodyComplete, "", true},
    {"length_last_line_wins", kOk + "Content-Length: 9\r\nContent-Length: 2\r\n\r\nabc",
     ResponseState::BodyComplete, "ab", true},
    {"until_close_http10", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nabc", ResponseState::ReadingBody,
     "abc", true},
    {"until_close_empty_so_far", kOk + "\r\n", ResponseState::ReadingBody, "", true},
    {"lf_only_line_ends", "HTTP/1.1 200 OK\nContent-Length: 2\n\nhi!", ResponseState::BodyComplete,
     "hi", true},
    {"status_302_like_200",
     "HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 2\r\n\r\nok",
     ResponseState::BodyComplete, "ok", true},
    {"chunked", kChunkedHead + "5\r\nhello\r\n7;ext=1\r\n, world\r\n0\r\nTrailer: x\r\n\r\n",
     ResponseState::BodyComplete, "hello, world", true},
    {"chunked_lf_only", kChunkedHead + "2\nhi\n1\n!\n0\n", ResponseState::BodyComplete, "hi!",
     true},
    {"chunked_hex_both_cases", kChunkedHead + "a\r\n0123456789\r\nB\r\nabcdefghijk\r\n0\r\n\r\n",
     ResponseState::BodyComplete, "0123456789abcdefghijk", true},
    {"chunked_wins_over_length",
     kOk + "Content-Length: 3\r\ntransfer-encoding: gzip, Chunked\r\n\r\n4\r\nabcd\r\n0\r\n\r\n",
     ResponseState::BodyComplete, "abcd", true},
    {"chunked_first_size_zero", kChunkedHead + "0\r\n\r\n", ResponseState::BodyComplete, "", false},
    {"chunked_size_line_without_digits", kChunkedHead + "zz\r\nabc", ResponseState::BodyComplete,
     "", false},
    {"chunked_leading_zeros_fit", kChunkedHead + "00000000000000000003\r\nabc\r\n0\r\n\r\n",
     ResponseState::BodyComplete, "abc", true},
    {"chunked_size_of_twenty_hex_digits",
     kChunkedHead + "10000000000000000005\r\nabcde\r\n0\r\n\r\n", ResponseState::BodyMalformed, "",
     false},
    {"chunked_later_size_overflows", kChunkedHead + "2\r\nok\r\nFFFFFFFFFFFFFFFFF\r\nabc",
     ResponseState::BodyMalformed, "ok", true},
    {"chunked_data_not_followed_by_line_end", kChunkedHead + "3\r\nabcdef\r\n0\r\n\r\n",
     ResponseState::BodyMalformed, "abc", true},
    {"chunked_cut_mid_chunk", kChunkedHead + "5\r\nhel", ResponseState::ReadingBody, "hel", true},
    {"chunked_cut_in_size_line", kChunkedHead + "5", ResponseState::ReadingBody, "", false},
    {"status_404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc",
     ResponseState::Rejected, "", false},
    {"digits_200_elsewhere_in_404_line", "HTTP/1.1 404 200 not found\r\n\r\nabc",
     ResponseState::Rejected, "", false},
    {"code_2000", "HTTP/1.1 2000 OK\r\n\r\nabc", ResponseState::Rejected, "", false},
    {"garbage", "garbage 200\r\n\r\nabc", ResponseState::Rejected, "", false},
    {"head_incomplete", kOk + "Content-Length: 3\r\n", ResponseState::ReadingHead, "", false},
};

struct FeedOutcome {
  ResponseState state;
  std::string body;
  bool bodyBegun;
};

FeedOutcome FeedPieces(const std::string& reply, const std::vector<std::size_t>& cuts) {
  ResponseFramer framer;
  std::string body;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    FeedResponse(framer, std::string_view(reply).substr(from, cut - from), body);
    from = cut;
  }
  FeedResponse(framer, std::string_view(reply).substr(from), body);
  return {framer.state, body, framer.bodyBegun};
}

void ExpectOutcome(const FramingCase& c, const FeedOutcome& got, const std::string& how) {
  EXPECT_EQ(got.state, c.state) << c.name << " " << how;
  EXPECT_EQ(got.body, c.body) << c.name << " " << how;
  EXPECT_EQ(got.bodyBegun, c.bodyBegun) << c.name << " " << how;
}

TEST(ResponseFraming, SameOutcomeAtEverySplitPoint) {
  for (const FramingCase& c : kFramingCases) {
    ExpectOutcome(c, FeedPieces(c.reply, {}), "whole");
    for (std::size_t cut = 0; cut <= c.reply.size(); ++cut) {
      ExpectOutcome(c, FeedPieces(c.reply, {cut}), "split at " + std::to_string(cut));
    }
    std::vector<std::size_t> everyByte;
    for (std::size_t cut = 1; cut < c.reply.size(); ++cut) everyByte.push_back(cut);
    ExpectOutcome(c, FeedPieces(c.reply, everyByte), "byte by byte");
  }
}

TEST(ResponseFraming, BodyBegunOnlyWhenTheBodyStarts) {
  // The caller creates its file at this moment: not before the blank line, and for
  // a chunked reply not before the first non-zero size line has ended.
  ResponseFramer framer;
  std::string body;
  FeedResponse(framer, kOk + "Content-Length: 4\r\n", body);
  EXPECT_FALSE(framer.bodyBegun);
  FeedResponse(framer, "\r\n", body);
  EXPECT_TRUE(framer.bodyBegun);

  ResponseFramer chunked;
  FeedResponse(chunked, kChunkedHead + "4", body);
  EXPECT_EQ(chunked.state, ResponseState::ReadingBody);
  EXPECT_FALSE(chunked.bodyBegun);
  FeedResponse(chunked, "\r\n", body);
  EXPECT_TRUE(chunked.bodyBegun);
  EXPECT_TRUE(body.empty());
}

TEST(ResponseFraming, HeadLongerThanItsLimitIsRejected) {
  ResponseFramer framer;
  framer.limits.maxHeadBytes = 64;
  const std::string fits = kOk + "X: " + std::string(64 - kOk.size() - 7, 'a') + "\r\n\r\n";
  ASSERT_EQ(fits.size(), 64u);
  std::string body;
  EXPECT_EQ(FeedResponse(framer, fits + "tail", body), ResponseState::ReadingBody);
  EXPECT_EQ(body, "tail");

  ResponseFramer over;
  over.limits.maxHeadBytes = 64;
  body.clear();
  EXPECT_EQ(
      FeedResponse(over, kOk + "X: " + std::string(64 - kOk.size() - 6, 'a') + "\r\n\r\n", body),
      ResponseState::Rejected);
  EXPECT_TRUE(body.empty());
}

TEST(ResponseFraming, EndlessHeaderBlockStopsAtDefaultLimit) {
  ResponseFramer framer;
  std::string body;
  FeedResponse(framer, kOk, body);
  const std::string headerLine = "X-Filler: " + std::string(2000, 'a') + "\r\n";
  std::size_t fed = kOk.size();
  while (framer.state == ResponseState::ReadingHead && fed < 1'000'000) {
    FeedResponse(framer, headerLine, body);
    fed += headerLine.size();
  }
  EXPECT_EQ(framer.state, ResponseState::Rejected);
  EXPECT_LE(fed, 64u * 1024 + headerLine.size());
  EXPECT_LE(framer.headLine.capacity(), 64u * 1024);
}

TEST(ResponseFraming, BodyCapHoldsInEveryFraming) {
  const std::string replies[] = {
      kOk + "\r\n" + std::string(100, 'x'),
      kOk + "Content-Length: 100\r\n\r\n" + std::string(100, 'x'),
      kChunkedHead + "64\r\n" + std::string(100, 'x') + "\r\n0\r\n\r\n",
  };
  for (const std::string& reply : replies) {
    ResponseFramer framer;
    framer.limits.maxBodyBytes = 10;
    std::string body;
    for (char c : reply) FeedResponse(framer, std::string_view(&c, 1), body);
    EXPECT_EQ(framer.state, ResponseState::BodyComplete) << reply;
    EXPECT_EQ(body, std::string(10, 'x')) << reply;
  }
}

TEST(ResponseFraming, StatusCodeIsReadFromItsPlace) {
  const std::pair<const char*, int> cases[] = {
      {"HTTP/1.1 200 OK", 200}, {"HTTP/1.0 302 Found", 302}, {"HTTP/1.1 404", 404},
      {"HTTP/1.1 200", 200},    {"HTTP/1.1  200 OK", 0},     {"HTTP/2 200 OK", 0},
      {"http/1.1 200 OK", 0},   {"HTTP/1.1 20 OK", 0},       {"HTTP/1.1 2000", 0},
      {"HTTP/1.1 20x OK", 0},   {"XHTTP/1.1 200 OK", 0},     {"", 0},
  };
  for (const auto& [line, code] : cases) EXPECT_EQ(ParseStatusCode(line), code) << line;
}

}  // namespace
}  // namespace vokabino
