#pragma once
// Framing of one HTTP/1.x reply as its bytes arrive, kept apart from the socket so
// that it can be driven by any split of the byte stream. The framer holds at most
// the current head line (bounded by ResponseLimits::maxHeadBytes) and a few
// counters; body bytes are handed straight back to the caller, so memory stays
// bounded whatever the server sends.
//
// Accepted replies: a status line "HTTP/1.<digit> <three digits>" whose code is
// 200 or 302 (a 302 is taken like a 200: no redirect is followed). Lines end at LF;
// a CR before the LF is dropped. Header names are matched without regard to case.
// Body framing: "Transfer-Encoding" containing "chunked" wins over
// "Content-Length", which wins over reading until the connection closes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vokabino {

enum class ResponseState {
  ReadingHead,    // status line or headers not complete yet
  Rejected,       // not an accepted reply: status not 200/302, malformed status
                  // line, or a head longer than maxHeadBytes. Nothing is body.
  ReadingBody,    // the head is complete; body bytes are still expected
  BodyComplete,   // the framing says the body is over (length reached, last chunk
                  // seen, or maxBodyBytes given out)
  BodyMalformed,  // the chunked framing broke (a chunk size beyond 64 bits, or no
                  // line end after a chunk's data); the bytes given out so far stand
};

enum class BodyFraming { UntilClose, Length, Chunked };

struct ResponseLimits {
  std::size_t maxHeadBytes = 64 * 1024;        // status line + headers + line ends
  std::uint64_t maxBodyBytes = 1'000'000'000;  // body bytes given out, any framing
};

struct ResponseFramer {
  ResponseLimits limits;
  ResponseState state = ResponseState::ReadingHead;

  // Known once the status line is complete.
  int statusCode = 0;
  // Known once the head is complete.
  BodyFraming framing = BodyFraming::UntilClose;
  std::uint64_t contentLength = 0;  // saturates at the largest 64-bit value
  // True from the moment the body begins: at the end of the head, or for a chunked
  // reply at the end of the first chunk-size line whose size is above 0 (never, when
  // that first size is 0). This is when the caller creates its output file, even if
  // no body byte follows.
  bool bodyBegun = false;
  std::uint64_t bodyBytes = 0;  // body bytes given out so far

  // Working state of the head and chunk parsers.
  std::string headLine;
  std::size_t headBytes = 0;
  bool sawStatusLine = false;
  bool sawContentLength = false;
  bool sawChunked = false;
  enum class ChunkStep { Size, SizeLineRest, Data, DataCr, DataLf };
  ChunkStep chunkStep = ChunkStep::Size;
  std::uint64_t chunkSize = 0;       // accumulates the size line's hex digits
  std::uint64_t chunkRemaining = 0;  // data bytes left in the current chunk
};

// Feeds the next received bytes. Body bytes are appended to body (which is not
// cleared first); the framer keeps none of them. Bytes that arrive after the state
// has become Rejected, BodyComplete or BodyMalformed are ignored. Returns the state.
ResponseState FeedResponse(ResponseFramer& framer, std::string_view bytes, std::string& body);

// True for the states after which no byte will change anything.
bool IsFinalResponseState(ResponseState state);

// The status code of a status line without its line end ("HTTP/1.1 200 OK" gives
// 200), or 0 when the line is not "HTTP/1.<digit> <three digits>" followed by a
// space or the end of the line.
int ParseStatusCode(std::string_view statusLine);

}  // namespace vokabino
