#pragma once
// One planned request sent to the service on 127.0.0.1 (never any other
// address), and what came back.
//
// Threading: RunExchange touches only its own socket; call it from as many
// threads as there are connections wanted at once.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "bench/load/load_plan.h"

namespace vokabino {

enum class ExchangeOutcome {
  NotSent,             // the run stopped before this request's turn
  ConnectFailed,       // no connection to the service
  Answered,            // a whole reply: status line, head and a body of its Content-Length
  GarbledReply,        // bytes came back, but not a whole reply
  ClosedWithoutReply,  // the service closed (or reset) the connection without a byte
  TimedOut,            // no end of reply within the exchange's time
  LetGo,               // the client closed on purpose without reading (Delivery::CloseAtOnce
                       // and ResetAtOnce)
};

std::string_view ExchangeOutcomeName(ExchangeOutcome outcome);

struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::NotSent;
  int status = 0;                     // Answered only
  std::string body;                   // Answered only
  std::chrono::microseconds elapsed{0};  // from connect to the end of the reply
};

// Connects to 127.0.0.1:port, sends request.bytes as request.delivery says and
// reads the reply until the service closes. timeout bounds the whole exchange.
ExchangeResult RunExchange(int port, const PlannedRequest& request,
                           std::chrono::milliseconds timeout);

struct ParsedReply {
  int status = 0;
  std::string body;
};
// A whole reply as the service sends it: "HTTP/1.x NNN ...", header lines ended
// by CR LF, an empty line, and a body of exactly the Content-Length given.
// nullopt for anything else.
std::optional<ParsedReply> ParseWholeReply(std::string_view bytes);

}  // namespace vokabino
