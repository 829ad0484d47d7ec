#pragma once
// The requests of one load run, decided before the first is sent: well-formed
// translation queries built exactly as the player builds them, with malformed
// ones of a rotating set of kinds mixed in, each with the answers it may get.
//
// Pure: the same options and port give the same plan.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace vokabino {

enum class RequestKind {
  WellFormed,
  BadPassword,          // wrong, empty or missing password: 403
  MissingText,          // no "text" parameter: 400
  UnknownLanguagePair,  // anything but en to fr: 400
  GarbageRequestLine,   // not "METHOD SP TARGET SP HTTP/1.x": 400 or a closed connection
  TruncatedHead,        // the head stops halfway and the client half-closes: 400
  Oversize,             // query over 4096 bytes, request line over 8192 (414), head over 16384 (431)
  BadPercentEscape,     // "%" without two hexadecimal digits, or "%00": 400
  BinaryBlob,           // random bytes, then a half-close: a 4xx or a closed connection
  ClosesEarly,          // the client closes before reading any reply: nothing to check
  WrongMethodOrPath,    // POST or HEAD (405), a path other than "/" (404)
};

// Every malformed kind, in the order they take turns.
inline constexpr RequestKind kMalformedKinds[] = {
    RequestKind::BadPassword,      RequestKind::MissingText,
    RequestKind::UnknownLanguagePair, RequestKind::GarbageRequestLine,
    RequestKind::TruncatedHead,    RequestKind::Oversize,
    RequestKind::BadPercentEscape, RequestKind::BinaryBlob,
    RequestKind::ClosesEarly,      RequestKind::WrongMethodOrPath};

// A short name for reports, such as "bad password".
std::string_view RequestKindName(RequestKind kind);

// How the bytes go out and when the client lets go.
enum class Delivery {
  Whole,           // one send, then read the reply until the service closes
  InPieces,        // several sends a millisecond or two apart, cut at pieceEnds, then read
  HalfClose,       // one send, shut down the sending side, then read
  CloseAtOnce,     // one send (possibly of nothing), then close without reading
  ResetAtOnce,     // one send, then close with a reset (SO_LINGER 0) without reading
};

struct PlannedRequest {
  RequestKind kind = RequestKind::WellFormed;
  std::string bytes;                   // what goes on the wire
  Delivery delivery = Delivery::Whole;
  std::vector<std::size_t> pieceEnds;  // InPieces: offsets where each piece ends, ascending
  Text line;                           // WellFormed: the English line asked for
  std::vector<int> statuses;           // statuses that are right for a malformed request
  bool closeIsRight = false;           // a connection closed (or reset) without reply is right
};

struct LoadPlanOptions {
  std::size_t requests = 10'000;
  std::size_t malformedEvery = 10;  // the last request of every run of this many is
                                    // malformed; 0 sends none
  std::size_t lines = 400;          // size of the pool of English lines (see MakeSubtitleLines)
  std::uint32_t seed = 5318;
};

// The whole run, for a service on 127.0.0.1:port (the Host header names it).
std::vector<PlannedRequest> PlanLoad(const LoadPlanOptions& options, int port);

}  // namespace vokabino
