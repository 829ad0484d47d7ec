#include "translation/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "loopback_server.h"
#include "scratch_files.h"

namespace vokabino {
namespace {

using namespace std::chrono_literals;
using testing_support::LoopbackServer;
using testing_support::OneByteSteps;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::ServerScript;
using testing_support::ServerStep;
using testing_support::UnusedLoopbackPort;
using testing_support::WriteFileBytes;
using Clock = std::chrono::steady_clock;

const std::string kPrevious = "previous reply";
const std::string kOk = "HTTP/1.1 200 OK\r\n";
const std::string kChunkedHead = kOk + "Transfer-Encoding: chunked\r\n\r\n";

// Short enough that no case here waits long, long enough never to cut a healthy
// loopback reply.
HttpLimits QuickLimits() {
  HttpLimits limits;
  limits.connectTimeout = 2s;
  limits.sendTimeout = 2s;
  limits.blockWait = 2s;
  limits.untilCloseWait = 300ms;
  limits.exchangeTimeout = 5s;
  return limits;
}

std::string UrlOf(const LoopbackServer& server) { return "http://" + server.Authority() + "/?q=1"; }

struct FileFateCase {
  const char* name;
  std::vector<ServerStep> reply;  // then the server closes
  std::uint64_t result;
  std::optional<std::string> fileAfter;  // nothing: the earlier file is left untouched
};

std::vector<ServerStep> Whole(const std::string& reply) { return {{reply, 0ms}}; }

TEST(HttpGetToFile, ResultAndScratchFileFate) {
  const FileFateCase cases[] = {
      {"length", Whole(kOk + "Content-Length: 5\r\n\r\nhello"), 5, "hello"},
      {"chunked_in_first_block", Whole(kChunkedHead + "2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n"), 5,
       "hello"},
      {"until_close", Whole(kOk + "\r\nabc"), 3, "abc"},
      {"status_302", Whole("HTTP/1.1 302 Found\r\nContent-Length: 2\r\n\r\nok"), 2, "ok"},
      {"head_and_body_split_at_every_byte",
       OneByteSteps(kChunkedHead + "5\r\nhello\r\n0\r\n\r\n", 1ms), 5, "hello"},
      {"head_in_several_reads",
       {{kOk + "Content-", 0ms}, {"Length: 2\r\n", 20ms}, {"\r\nhi", 20ms}},
       2,
       "hi"},
      {"status_404", Whole("HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc"), 0,
       std::nullopt},
      {"garbage", Whole("\x16\x03\x01 nonsense 200\r\n\r\nabc"), 0, std::nullopt},
      {"closed_without_answer", {}, 0, std::nullopt},
      {"closed_inside_head", Whole(kOk + "Content-Length: 3\r\n"), 0, std::nullopt},
      {"empty_body_by_length", Whole(kOk + "Content-Length: 0\r\n\r\n"), 0, ""},
      {"empty_body_until_close", Whole(kOk + "\r\n"), 0, ""},
      {"chunked_first_size_zero", Whole(kChunkedHead + "0\r\n\r\n"), 0, std::nullopt},
      {"length_cut_short", Whole(kOk + "Content-Length: 10\r\n\r\nabcd"), 4, "abcd"},
      {"closed_mid_chunk", Whole(kChunkedHead + "5\r\nhel"), 3, "hel"},
      {"chunk_size_of_twenty_hex_digits", Whole(kChunkedHead + "FFFFFFFFFFFFFFFFFFFF\r\nabc"), 0,
       std::nullopt},
      {"endless_header_block", Whole(kOk + std::string(70'000, 'X')), 0, std::nullopt},
  };
  for (const FileFateCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const std::string file = scratch.PathOf("teste.txt");
    WriteFileBytes(file, kPrevious);
    LoopbackServer server({.steps = c.reply});
    EXPECT_EQ(HttpGetToFile(UrlOf(server), file, QuickLimits()), c.result);
    EXPECT_EQ(ReadFileBytes(file), c.fileAfter.value_or(kPrevious));
  }
}

TEST(HttpGetToFile, SendsExactRequestBytes) {
  ScratchFolder scratch;
  LoopbackServer server({.steps = Whole(kOk + "Content-Length: 1\r\n\r\nx")});
  const std::string url = "http://someone:secret@" + server.Authority() + "/a/b?c=d:e&f=%20#g";
  EXPECT_EQ(HttpGetToFile(url, scratch.PathOf("out.txt"), QuickLimits()), 1u);
  EXPECT_EQ(server.FinishAndTakeRequest(),
            "GET /a/b?c=d:e&f=%20#g HTTP/1.1\r\nAccept: */*\r\nHost: " + server.Authority() +
                "\r\nConnection: close\r\n\r\n");
}

TEST(HttpGetToFile, FailsBeforeTheBodyWithoutTouchingTheFile) {
  ScratchFolder scratch;
  const std::string file = scratch.PathOf("teste.txt");
  WriteFileBytes(file, kPrevious);
  const std::string refused = "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/";
  const char* noServerUrls[] = {"127.0.0.1/no-scheme", "http:///no-host", "http://127.0.0.1:99999/",
                                refused.c_str()};
  for (const char* url : noServerUrls)
    EXPECT_EQ(HttpGetToFile(url, file, QuickLimits()), 0u) << url;
  EXPECT_EQ(ReadFileBytes(file), kPrevious);
}

TEST(HttpGetToFile, FileThatCannotBeCreatedFails) {
  ScratchFolder scratch;
  LoopbackServer server({.steps = Whole(kOk + "Content-Length: 5\r\n\r\nhello")});
  EXPECT_EQ(HttpGetToFile(UrlOf(server), scratch.PathOf("missing-folder/teste.txt"), QuickLimits()),
            0u);
}

TEST(HttpGetToFile, ServerThatNeverAnswersIsLeftAfterTheBlockWait) {
  ScratchFolder scratch;
  const std::string file = scratch.PathOf("teste.txt");
  WriteFileBytes(file, kPrevious);
  LoopbackServer server({.holdOpen = true});
  HttpLimits limits = QuickLimits();
  limits.blockWait = 200ms;
  const auto start = Clock::now();
  EXPECT_EQ(HttpGetToFile(UrlOf(server), file, limits), 0u);
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_EQ(ReadFileBytes(file), kPrevious);
}

TEST(HttpGetToFile, TricklingServerIsCutAtTheExchangeTimeOut) {
  // One byte every 20 ms never lets a 2-second block wait run out; only the
  // exchange time-out ends it, and what arrived counts as a body cut short.
  ScratchFolder scratch;
  const std::string file = scratch.PathOf("teste.txt");
  LoopbackServer server({.steps = Whole(kOk + "Content-Length: 100000\r\n\r\n"),
                         .endlessFill = "x",
                         .fillPause = 20ms});
  HttpLimits limits = QuickLimits();
  limits.exchangeTimeout = 400ms;
  const auto start = Clock::now();
  const std::uint64_t written = HttpGetToFile(UrlOf(server), file, limits);
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, 100u);
  EXPECT_EQ(ReadFileBytes(file), std::string(written, 'x'));
}

TEST(HttpGetToFile, EndlessBodyStopsAtTheBodyCap) {
  ScratchFolder scratch;
  const std::string file = scratch.PathOf("teste.txt");
  for (const std::string& head :
       {kOk + "\r\n", kOk + "Content-Length: 99999999999999999999999\r\n\r\n"}) {
    SCOPED_TRACE(head);
    LoopbackServer server({.steps = Whole(head), .endlessFill = std::string(65536, 'y')});
    HttpLimits limits = QuickLimits();
    limits.response.maxBodyBytes = 1'000'000;
    EXPECT_EQ(HttpGetToFile(UrlOf(server), file, limits), 1'000'000u);
    EXPECT_EQ(std::filesystem::file_size(file), 1'000'000u);
  }
}

TEST(HttpGetToFile, RequestNotSentWithinTheSendTimeOutFails) {
  // The server reads nothing, keeps the connection and has a tiny window, so a
  // 16 MB request cannot leave the client's buffers: only the send time-out ends it.
  ScratchFolder scratch;
  const std::string file = scratch.PathOf("teste.txt");
  WriteFileBytes(file, kPrevious);
  LoopbackServer server({.readRequest = false, .holdUntilReleased = true, .receiveBuffer = 4096});
  HttpLimits limits = QuickLimits();
  limits.sendTimeout = 200ms;
  const std::string url = UrlOf(server) + std::string(16 << 20, 'a');
  const auto start = Clock::now();
  EXPECT_EQ(HttpGetToFile(url, file, limits), 0u);
  EXPECT_LT(Clock::now() - start, 3s);
  server.Release();
  EXPECT_EQ(ReadFileBytes(file), kPrevious);
}

}  // namespace
}  // namespace vokabino
