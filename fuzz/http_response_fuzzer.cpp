// The HTTP reply framer on arbitrary bytes, fed whole, in pieces whose sizes come
// from the input (as a socket hands them over), and one byte at a time. Whatever
// the split, the framer must end in the same state with the same body; the body
// must be what the framing says it is (the bytes after the head, or the chunk
// data of a plain re-reading of the chunked coding), and within the limits.
//
// Input layout (FuzzedDataProvider, read from the end): one byte choosing the
// limits, one byte giving the number of piece sizes (0 to 16), that many bytes of
// piece sizes (0 to 255; a 0 feeds an empty piece), and the reply bytes at the
// front, so seed files read as HTTP replies with a few control bytes after them.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "translation/http_response.h"

namespace vokabino {
namespace {

struct Framed {
  ResponseFramer framer;
  std::string body;
};

// Feeds reply in pieces of the given sizes, cycling through them; no sizes feeds
// it whole. A 0 feeds an empty piece.
Framed FeedInPieces(const ResponseLimits& limits, std::string_view reply,
                    std::vector<std::size_t> pieces) {
  if (pieces.empty()) pieces.push_back(std::max<std::size_t>(reply.size(), 1));
  // Sizes that are all 0 would never get through the reply.
  if (*std::max_element(pieces.begin(), pieces.end()) == 0) pieces.push_back(1);
  Framed result;
  result.framer.limits = limits;
  for (std::size_t at = 0, turn = 0; at < reply.size(); ++turn) {
    const std::string_view piece = reply.substr(at, pieces[turn % pieces.size()]);
    const ResponseState state = FeedResponse(result.framer, piece, result.body);
    FUZZ_CHECK(state == result.framer.state);
    at += piece.size();
  }
  return result;
}

bool SameOutcome(const Framed& a, const Framed& b) {
  const ResponseFramer& x = a.framer;
  const ResponseFramer& y = b.framer;
  return x.state == y.state && x.statusCode == y.statusCode && x.framing == y.framing &&
         x.contentLength == y.contentLength && x.bodyBegun == y.bodyBegun &&
         x.bodyBytes == y.bodyBytes && a.body == b.body;
}

// The chunked coding read again from the bytes after the head: leading hex
// digits of each size line (the rest of the line ignored), the data, then CR LF
// or LF. Returns the state the framer must reach and the data in body.
ResponseState ReferenceChunked(std::string_view bytes, std::uint64_t maxBody, std::string& body,
                               bool& begun) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::size_t at = 0;
  begun = false;
  for (;;) {
    std::uint64_t size = 0;
    bool digits = true;
    for (;; ++at) {
      if (at == bytes.size()) return ResponseState::ReadingBody;
      const char c = bytes[at];
      if (c == '\n') break;
      const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
      if (digits && hex) {
        if (size > kMax / 16) return ResponseState::BodyMalformed;
        size = size * 16 + static_cast<std::uint64_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
      } else {
        digits = false;
      }
    }
    ++at;  // the LF
    if (size == 0) return ResponseState::BodyComplete;
    begun = true;
    while (size > 0) {
      if (at == bytes.size()) return ResponseState::ReadingBody;
      if (body.size() == maxBody) return ResponseState::BodyComplete;
      body += bytes[at++];
      --size;
      if (body.size() == maxBody) return ResponseState::BodyComplete;
    }
    if (at == bytes.size()) return ResponseState::ReadingBody;
    if (bytes[at] == '\r') {
      if (++at == bytes.size()) return ResponseState::ReadingBody;
    }
    if (bytes[at] != '\n') return ResponseState::BodyMalformed;
    ++at;
  }
}

void CheckBody(const Framed& whole, std::string_view reply) {
  const ResponseFramer& framer = whole.framer;
  FUZZ_CHECK(whole.body.size() == framer.bodyBytes);
  FUZZ_CHECK(framer.bodyBytes <= framer.limits.maxBodyBytes);
  FUZZ_CHECK(framer.headBytes <= framer.limits.maxHeadBytes);
  FUZZ_CHECK(framer.headLine.size() <= framer.limits.maxHeadBytes);
  switch (framer.state) {
    case ResponseState::ReadingHead:
    case ResponseState::Rejected:
      FUZZ_CHECK(whole.body.empty() && !framer.bodyBegun);
      FUZZ_CHECK(framer.state == ResponseState::Rejected || framer.headBytes == reply.size());
      return;
    default:
      break;
  }
  FUZZ_CHECK(framer.statusCode == 200 || framer.statusCode == 302);
  const std::string_view afterHead = reply.substr(framer.headBytes);
  const std::uint64_t maxBody = framer.limits.maxBodyBytes;
  if (framer.framing == BodyFraming::Chunked) {
    std::string body;
    bool begun = false;
    FUZZ_CHECK(ReferenceChunked(afterHead, maxBody, body, begun) == framer.state);
    FUZZ_CHECK(whole.body == body);
    FUZZ_CHECK(framer.bodyBegun == begun);
    return;
  }
  FUZZ_CHECK(framer.state != ResponseState::BodyMalformed);
  FUZZ_CHECK(framer.bodyBegun);
  std::uint64_t expected = std::min<std::uint64_t>(afterHead.size(), maxBody);
  if (framer.framing == BodyFraming::Length) expected = std::min(expected, framer.contentLength);
  FUZZ_CHECK(whole.body == afterHead.substr(0, expected));
  // Reaching the body cap takes a body byte to be offered (a cap of 0 included);
  // a length is reached as soon as enough bytes came, 0 at the end of the head.
  const bool capReached = expected == maxBody && !afterHead.empty();
  const bool complete =
      capReached || (framer.framing == BodyFraming::Length && expected == framer.contentLength);
  FUZZ_CHECK(complete == (framer.state == ResponseState::BodyComplete));
}

void CheckStatusLine(std::string_view reply) {
  const std::string_view line = reply.substr(0, reply.find('\n'));
  const int code = ParseStatusCode(line);
  FUZZ_CHECK(code >= 0 && code <= 999);
  if (code != 0) FUZZ_CHECK(line.substr(0, 7) == "HTTP/1." && line.size() >= 12);
}

ResponseLimits ChooseLimits(std::uint8_t choice) {
  constexpr std::size_t kHeadCaps[] = {ResponseLimits{}.maxHeadBytes, 1, 8, 40, 200};
  constexpr std::uint64_t kBodyCaps[] = {ResponseLimits{}.maxBodyBytes, 0, 1, 10, 100};
  ResponseLimits limits;
  limits.maxHeadBytes = kHeadCaps[choice % 5];
  limits.maxBodyBytes = kBodyCaps[(choice / 5) % 5];
  return limits;
}

}  // namespace
}  // namespace vokabino

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vokabino;
  FuzzedDataProvider input(data, size);
  const ResponseLimits limits = ChooseLimits(input.ConsumeIntegral<std::uint8_t>());
  std::vector<std::size_t> pieces(input.ConsumeIntegralInRange<std::size_t>(0, 16));
  for (std::size_t& piece : pieces) piece = input.ConsumeIntegral<std::uint8_t>();
  const std::string reply = input.ConsumeRemainingBytesAsString();

  const Framed whole = FeedInPieces(limits, reply, {});
  const Framed split = FeedInPieces(limits, reply, pieces);
  FUZZ_CHECK(SameOutcome(whole, split));
  if (reply.size() <= 4096) {
    FUZZ_CHECK(SameOutcome(whole, FeedInPieces(limits, reply, {1})));
  }
  CheckBody(whole, reply);
  CheckStatusLine(reply);
  return 0;
}
