#include "bench/load/load_exchange.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// A non-blocking socket connected to 127.0.0.1:port, or -1.
int ConnectToLoopback(int port, Clock::time_point deadline) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  if (errno == EINPROGRESS) {
    pollfd ready = {fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (poll(&ready, 1, MillisecondsLeft(deadline)) == 1 &&
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
      return fd;
  }
  close(fd);
  return -1;
}

// Sends bytes before the deadline; false when the service stopped taking them
// (it may have answered already, so the caller still reads).
bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    const ssize_t wrote = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (wrote > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(wrote));
      continue;
    }
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd ready = {fd, POLLOUT, 0};
      if (poll(&ready, 1, MillisecondsLeft(deadline)) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

enum class ReadEnd { Closed, Reset, TimedOut };

ReadEnd ReadUntilClosed(int fd, std::string& reply, Clock::time_point deadline) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got > 0) {
      reply.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got == 0) return ReadEnd::Closed;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return ReadEnd::Reset;
    pollfd ready = {fd, POLLIN, 0};
    if (poll(&ready, 1, MillisecondsLeft(deadline)) <= 0) return ReadEnd::TimedOut;
  }
}

void SendInPieces(int fd, const PlannedRequest& request, Clock::time_point deadline) {
  std::size_t from = 0;
  for (const std::size_t end : request.pieceEnds) {
    if (end <= from || end > request.bytes.size()) continue;
    if (from > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1 + from % 2));
    if (!SendAll(fd, std::string_view(request.bytes).substr(from, end - from), deadline)) return;
    from = end;
  }
  if (from < request.bytes.size())
    SendAll(fd, std::string_view(request.bytes).substr(from), deadline);
}

}  // namespace

std::string_view ExchangeOutcomeName(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::NotSent:
      return "not sent";
    case ExchangeOutcome::ConnectFailed:
      return "connect failed";
    case ExchangeOutcome::Answered:
      return "answered";
    case ExchangeOutcome::GarbledReply:
      return "garbled reply";
    case ExchangeOutcome::ClosedWithoutReply:
      return "closed";
    case ExchangeOutcome::TimedOut:
      return "timed out";
    case ExchangeOutcome::LetGo:
      return "let go";
  }
  return "?";
}

ExchangeResult RunExchange(int port, const PlannedRequest& request,
                           std::chrono::milliseconds timeout) {
  ExchangeResult result;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline = start + timeout;
  auto finish = [&](ExchangeOutcome outcome) {
    result.outcome = outcome;
    result.elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    return result;
  };
  const int fd = ConnectToLoopback(port, deadline);
  if (fd < 0) return finish(ExchangeOutcome::ConnectFailed);

  switch (request.delivery) {
    case Delivery::Whole:
      SendAll(fd, request.bytes, deadline);
      break;
    case Delivery::InPieces:
      SendInPieces(fd, request, deadline);
      break;
    case Delivery::HalfClose:
      SendAll(fd, request.bytes, deadline);
      shutdown(fd, SHUT_WR);
      break;
    case Delivery::CloseAtOnce:
      SendAll(fd, request.bytes, deadline);
      close(fd);
      return finish(ExchangeOutcome::LetGo);
    case Delivery::ResetAtOnce: {
      SendAll(fd, request.bytes, deadline);
      const linger reset = {1, 0};
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      close(fd);
      return finish(ExchangeOutcome::LetGo);
    }
  }

  std::string reply;
  const ReadEnd end = ReadUntilClosed(fd, reply, deadline);
  close(fd);
  if (end == ReadEnd::TimedOut) return finish(ExchangeOutcome::TimedOut);
  if (reply.empty()) return finish(ExchangeOutcome::ClosedWithoutReply);
  std::optional<ParsedReply> parsed = ParseWholeReply(reply);
  if (!parsed) return finish(ExchangeOutcome::GarbledReply);
  result.status = parsed->status;
  result.body = std::move(parsed->body);
  return finish(ExchangeOutcome::Answered);
}

std::optional<ParsedReply> ParseWholeReply(std::string_view bytes) {
  const std::size_t headEnd = bytes.find("\r\n\r\n");
  if (headEnd == std::string_view::npos || !bytes.starts_with("HTTP/1.") || bytes.size() < 12 ||
      bytes[8] != ' ')
    return std::nullopt;
  ParsedReply reply;
  for (std::size_t i = 9; i < 12; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return std::nullopt;
    reply.status = reply.status * 10 + (bytes[i] - '0');
  }
  const std::string_view head = bytes.substr(0, headEnd + 2);
  const std::string_view field = "\r\nContent-Length: ";
  const std::size_t at = head.find(field);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t length =
      std::strtoul(std::string(head.substr(at + field.size(), 20)).c_str(), nullptr, 10);
  reply.body = bytes.substr(headEnd + 4);
  if (reply.body.size() != length) return std::nullopt;
  return reply;
}

}  // namespace vokabino
