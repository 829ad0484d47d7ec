#include "translation/http_response.h"

#include <algorithm>
#include <limits>

namespace vokabino {
namespace {

constexpr std::uint64_t kMaxU64 = std::numeric_limits<std::uint64_t>::max();

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size()) return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (LowerAscii(text[i]) != lowerPrefix[i]) return false;
  }
  return true;
}

bool ContainsNoCase(std::string_view text, std::string_view lowerNeedle) {
  if (lowerNeedle.size() > text.size()) return false;
  for (std::size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i) {
    if (StartsWithNoCase(text.substr(i), lowerNeedle)) return true;
  }
  return false;
}

// Decimal digits after optional blanks; saturates instead of overflowing. No
// digits give 0, as a length line with no number has always meant.
std::uint64_t ParseContentLength(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  std::uint64_t length = 0;
  for (; i < value.size() && IsDigit(value[i]); ++i) {
    const auto digit = static_cast<std::uint64_t>(value[i] - '0');
    if (length > (kMaxU64 - digit) / 10) return kMaxU64;
    length = length * 10 + digit;
  }
  return length;
}

void TakeHeaderLine(ResponseFramer& framer, std::string_view line) {
  constexpr std::string_view kTransferEncoding = "transfer-encoding:";
  constexpr std::string_view kContentLength = "content-length:";
  if (StartsWithNoCase(line, kTransferEncoding)) {
    if (ContainsNoCase(line.substr(kTransferEncoding.size()), "chunked")) framer.sawChunked = true;
  } else if (StartsWithNoCase(line, kContentLength)) {
    framer.sawContentLength = true;
    framer.contentLength = ParseContentLength(line.substr(kContentLength.size()));
  }
}

void BeginBody(ResponseFramer& framer) {
  if (framer.sawChunked) {
    framer.framing = BodyFraming::Chunked;
  } else if (framer.sawContentLength) {
    framer.framing = BodyFraming::Length;
    framer.bodyBegun = true;
  } else {
    framer.framing = BodyFraming::UntilClose;
    framer.bodyBegun = true;
  }
  framer.state = ResponseState::ReadingBody;
  if (framer.framing == BodyFraming::Length && framer.contentLength == 0) {
    framer.state = ResponseState::BodyComplete;
  }
}

// Consumes one complete head line (without its line end).
void TakeHeadLine(ResponseFramer& framer, std::string_view line) {
  if (!framer.sawStatusLine) {
    framer.sawStatusLine = true;
    framer.statusCode = ParseStatusCode(line);
    if (framer.statusCode != 200 && framer.statusCode != 302) {
      framer.state = ResponseState::Rejected;
    }
    return;
  }
  if (line.empty()) {
    BeginBody(framer);
    return;
  }
  TakeHeaderLine(framer, line);
}

// Returns how many bytes of input the head consumed.
std::size_t FeedHead(ResponseFramer& framer, std::string_view input) {
  std::size_t used = 0;
  while (used < input.size() && framer.state == ResponseState::ReadingHead) {
    const std::size_t room = framer.limits.maxHeadBytes - framer.headBytes;
    const std::string_view window = input.substr(used, room);
    const std::size_t lf = window.find('\n');
    if (lf == std::string_view::npos) {
      framer.headLine.append(window);
      framer.headBytes += window.size();
      used += window.size();
      if (framer.headBytes >= framer.limits.maxHeadBytes) framer.state = ResponseState::Rejected;
      break;
    }
    framer.headLine.append(window.substr(0, lf));
    framer.headBytes += lf + 1;
    used += lf + 1;
    std::string_view line = framer.headLine;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    TakeHeadLine(framer, line);
    framer.headLine.clear();
  }
  if (framer.state != ResponseState::ReadingHead) {
    framer.headLine.clear();
    framer.headLine.shrink_to_fit();
  }
  return used;
}

std::uint64_t BodyRoomLeft(const ResponseFramer& framer) {
  return framer.limits.maxBodyBytes > framer.bodyBytes
             ? framer.limits.maxBodyBytes - framer.bodyBytes
             : 0;
}

// Gives out up to want bytes of input from position used; returns how many.
std::size_t GiveOut(ResponseFramer& framer, std::string_view input, std::size_t used,
                    std::uint64_t want, std::string& body) {
  const std::size_t count = static_cast<std::size_t>(
      std::min<std::uint64_t>({want, input.size() - used, BodyRoomLeft(framer)}));
  body.append(input.substr(used, count));
  framer.bodyBytes += count;
  return count;
}

void FeedLengthOrUntilClose(ResponseFramer& framer, std::string_view input, std::string& body) {
  const std::uint64_t want =
      framer.framing == BodyFraming::Length ? framer.contentLength - framer.bodyBytes : kMaxU64;
  GiveOut(framer, input, 0, want, body);
  if ((framer.framing == BodyFraming::Length && framer.bodyBytes == framer.contentLength) ||
      BodyRoomLeft(framer) == 0) {
    framer.state = ResponseState::BodyComplete;
  }
}

void EndChunkSizeLine(ResponseFramer& framer) {
  if (framer.chunkSize == 0) {
    framer.state = ResponseState::BodyComplete;  // the trailer is never read
    return;
  }
  framer.bodyBegun = true;
  framer.chunkRemaining = framer.chunkSize;
  framer.chunkSize = 0;
  framer.chunkStep = ResponseFramer::ChunkStep::Data;
}

void FeedChunked(ResponseFramer& framer, std::string_view input, std::string& body) {
  using Step = ResponseFramer::ChunkStep;
  std::size_t used = 0;
  while (used < input.size() && framer.state == ResponseState::ReadingBody) {
    const char c = input[used];
    switch (framer.chunkStep) {
      case Step::Size: {
        const int digit = HexDigitValue(c);
        if (digit >= 0) {
          if (framer.chunkSize > (kMaxU64 >> 4)) {
            framer.state = ResponseState::BodyMalformed;
            break;
          }
          framer.chunkSize = (framer.chunkSize << 4) | static_cast<std::uint64_t>(digit);
        } else if (c == '\n') {
          EndChunkSizeLine(framer);
        } else {
          framer.chunkStep = Step::SizeLineRest;  // extensions and the CR are ignored
        }
        ++used;
        break;
      }
      case Step::SizeLineRest: {
        const std::size_t lf = input.find('\n', used);
        if (lf == std::string_view::npos) {
          used = input.size();
        } else {
          used = lf + 1;
          EndChunkSizeLine(framer);
        }
        break;
      }
      case Step::Data: {
        const std::size_t given = GiveOut(framer, input, used, framer.chunkRemaining, body);
        used += given;
        framer.chunkRemaining -= given;
        if (BodyRoomLeft(framer) == 0) {
          framer.state = ResponseState::BodyComplete;
        } else if (framer.chunkRemaining == 0) {
          framer.chunkStep = Step::DataCr;
        }
        break;
      }
      case Step::DataCr:
        if (c == '\r') {
          framer.chunkStep = Step::DataLf;
        } else if (c == '\n') {
          framer.chunkStep = Step::Size;
        } else {
          framer.state = ResponseState::BodyMalformed;
        }
        ++used;
        break;
      case Step::DataLf:
        if (c == '\n') {
          framer.chunkStep = Step::Size;
        } else {
          framer.state = ResponseState::BodyMalformed;
        }
        ++used;
        break;
    }
  }
}

}  // namespace

bool IsFinalResponseState(ResponseState state) {
  return state == ResponseState::Rejected || state == ResponseState::BodyComplete ||
         state == ResponseState::BodyMalformed;
}

int ParseStatusCode(std::string_view statusLine) {
  constexpr std::string_view kVersion = "HTTP/1.";
  if (statusLine.size() < kVersion.size() + 5) return 0;
  if (statusLine.substr(0, kVersion.size()) != kVersion) return 0;
  const std::string_view rest = statusLine.substr(kVersion.size());
  if (!IsDigit(rest[0]) || rest[1] != ' ') return 0;
  if (!IsDigit(rest[2]) || !IsDigit(rest[3]) || !IsDigit(rest[4])) return 0;
  if (rest.size() > 5 && rest[5] != ' ') return 0;
  return (rest[2] - '0') * 100 + (rest[3] - '0') * 10 + (rest[4] - '0');
}

ResponseState FeedResponse(ResponseFramer& framer, std::string_view bytes, std::string& body) {
  if (framer.state == ResponseState::ReadingHead) {
    bytes.remove_prefix(FeedHead(framer, bytes));
  }
  if (framer.state == ResponseState::ReadingBody && !bytes.empty()) {
    if (framer.framing == BodyFraming::Chunked) {
      FeedChunked(framer, bytes, body);
    } else {
      FeedLengthOrUntilClose(framer, bytes, body);
    }
  }
  return framer.state;
}

}  // namespace vokabino
