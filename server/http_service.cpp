#include "server/http_service.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

struct Connection {
  int fd = -1;
  std::string peer;  // the client's address, for the log
};

// Accepted connections waiting for a worker. Push blocks while limit are
// waiting, so the accepting thread stops taking new ones.
struct ConnectionQueue {
  std::size_t limit = 1;
  std::mutex lock;
  std::condition_variable waiting;  // a connection was pushed, or closing
  std::condition_variable room;     // a connection was taken
  std::deque<Connection> connections;
  bool closing = false;  // no more pushes; workers finish what is queued and leave
};

bool PushConnection(ConnectionQueue& queue, Connection connection,
                    const std::atomic<bool>& stopping) {
  std::unique_lock<std::mutex> guard(queue.lock);
  while (queue.connections.size() >= queue.limit) {
    if (stopping) return false;
    queue.room.wait_for(guard, std::chrono::milliseconds(100));
  }
  queue.connections.push_back(std::move(connection));
  queue.waiting.notify_one();
  return true;
}

// Blocks until a connection is queued; false once the queue is closing and empty.
bool TakeConnection(ConnectionQueue& queue, Connection& connection) {
  std::unique_lock<std::mutex> guard(queue.lock);
  queue.waiting.wait(guard, [&] { return !queue.connections.empty() || queue.closing; });
  if (queue.connections.empty()) return false;
  connection = std::move(queue.connections.front());
  queue.connections.pop_front();
  queue.room.notify_one();
  return true;
}

int RemainingMilliseconds(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Printable ASCII only, so a client cannot break a log line in two.
std::string Printable(std::string_view text, std::size_t limit) {
  std::string shown;
  for (char c : text.substr(0, limit)) shown += (c >= ' ' && c < 0x7F) ? c : '?';
  if (text.size() > limit) shown += "...";
  return shown;
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 414: return "URI Too Long";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

enum class HeadOutcome { Complete, Closed, TimedOut, LineTooLong, HeadTooLarge };

// Receives until the empty line that ends the head. head gets what arrived.
HeadOutcome ReceiveHead(int fd, const ServiceOptions& options, std::string& head) {
  const Clock::time_point deadline = Clock::now() + options.headTimeout;
  char buffer[4096];
  for (;;) {
    pollfd ready = {fd, POLLIN, 0};
    const int polled = poll(&ready, 1, RemainingMilliseconds(deadline));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return HeadOutcome::TimedOut;
    const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (got <= 0) return HeadOutcome::Closed;
    const std::size_t searchFrom = head.size() < 3 ? 0 : head.size() - 3;
    head.append(buffer, static_cast<std::size_t>(got));
    const std::size_t lineEnd = head.find('\n');
    if ((lineEnd == std::string::npos ? head.size() : lineEnd) > options.maxRequestLineBytes)
      return HeadOutcome::LineTooLong;
    const std::size_t end = std::min(head.find("\n\r\n", searchFrom), head.find("\n\n", searchFrom));
    if (std::min(end, head.size()) > options.maxHeadBytes) return HeadOutcome::HeadTooLarge;
    if (end != std::string::npos) return HeadOutcome::Complete;
  }
}

void SendAll(int fd, const std::string& bytes, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote =
        send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (wrote > 0) {
      sent += static_cast<std::size_t>(wrote);
      continue;
    }
    if (wrote < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return;
    pollfd ready = {fd, POLLOUT, 0};
    if (poll(&ready, 1, RemainingMilliseconds(deadline)) == 0) return;
  }
}

// Closes after the reply has gone: anything the client sent beyond the head is
// read first, since closing with unread data resets the connection and can
// destroy the reply in flight.
void CloseConnection(int fd) {
  shutdown(fd, SHUT_WR);
  char buffer[4096];
  for (int i = 0; i < 16 && recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0; ++i) {
  }
  close(fd);
}

// One line: client, method, status, engine and line length, time taken, and the
// reason or trouble, if any.
void LogRequest(const Connection& connection, const RequestHead& request,
                const ServiceReply& reply, Clock::duration elapsed) {
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  char shown[32];
  std::snprintf(shown, sizeof shown, " %.1fms", static_cast<double>(micros) / 1000.0);
  std::string line = "vokabino-translate: " + connection.peer + " " +
                     (request.method.empty() ? "-" : Printable(request.method, 10)) + " " +
                     std::to_string(reply.status);
  if (!reply.engine.empty())
    line += " " + reply.engine + " text=" + std::to_string(reply.textBytes) + "B";
  line += shown;
  if (!reply.note.empty()) line += " (" + Printable(reply.note, 300) + ")";
  WriteLogLine(line + "\n");
}

void ServeConnection(const Connection& connection, TranslationService& service,
                     const ServiceOptions& options) {
  const Clock::time_point start = Clock::now();
  std::string head;
  const HeadOutcome outcome = ReceiveHead(connection.fd, options, head);
  if (outcome == HeadOutcome::Closed && head.empty()) {
    close(connection.fd);  // a connection probe, not a request: nothing to log
    return;
  }
  RequestHead request;
  switch (outcome) {
    case HeadOutcome::Complete:
      request = ReadRequestHead(head, options.maxRequestLineBytes);
      break;
    case HeadOutcome::Closed:
      request = {400, "connection closed before the request was complete", {}, {}};
      break;
    case HeadOutcome::TimedOut:
      request = {408, "request not complete within the time allowed", {}, {}};
      break;
    case HeadOutcome::LineTooLong:
      request = {414, "request line longer than " + std::to_string(options.maxRequestLineBytes) +
                          " bytes", {}, {}};
      break;
    case HeadOutcome::HeadTooLarge:
      request = {431, "request head longer than " + std::to_string(options.maxHeadBytes) +
                          " bytes", {}, {}};
      break;
  }

  ServiceReply reply;
  if (request.status != 0) {
    reply.status = request.status;
    reply.body = request.reason + "\n";
    reply.note = request.reason;
  } else {
    const std::size_t mark = request.target.find('?');
    reply = AnswerTranslationQuery(
        service, mark == std::string::npos ? std::string_view() :
                                              std::string_view(request.target).substr(mark + 1));
  }
  // Logged before the reply goes out, so that whoever has read a reply finds its
  // line in the log.
  if (options.logRequests) LogRequest(connection, request, reply, Clock::now() - start);
  SendAll(connection.fd, FormatReply(reply.status, reply.body), options.writeTimeout);
  CloseConnection(connection.fd);
}


std::string PeerAddress(const sockaddr_storage& address) {
  char text[INET6_ADDRSTRLEN] = "?";
  if (address.ss_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text,
              sizeof text);
  } else if (address.ss_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text,
              sizeof text);
  }
  return text;
}

void CloseIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

HttpService::~HttpService() {
  CloseIfOpen(listenFd);
  CloseIfOpen(wakeRead);
  CloseIfOpen(wakeWrite);
}

RequestHead ReadRequestHead(std::string_view head, std::size_t maxRequestLineBytes) {
  RequestHead request;
  std::string_view line = head.substr(0, head.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > maxRequestLineBytes) {
    return {414, "request line longer than " + std::to_string(maxRequestLineBytes) + " bytes",
            {}, {}};
  }
  const std::size_t firstSpace = line.find(' ');
  const std::size_t lastSpace = line.rfind(' ');
  if (firstSpace == std::string_view::npos || firstSpace == lastSpace || firstSpace == 0) {
    return {400, "malformed request line", {}, {}};
  }
  const std::string_view method = line.substr(0, firstSpace);
  const std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
  const std::string_view version = line.substr(lastSpace + 1);
  bool methodOk = true;
  for (char c : method) methodOk = methodOk && c >= 'A' && c <= 'Z';
  bool targetOk = !target.empty();
  for (char c : target) targetOk = targetOk && c > ' ' && c != 0x7F;
  if (!methodOk || !targetOk || !version.starts_with("HTTP/1.") || version.size() != 8) {
    return {400, "malformed request line", std::string(method.substr(0, 16)), {}};
  }
  request.method = method;
  request.target = target;
  if (method != "GET") {
    request.status = 405;
    request.reason = "method not allowed: only GET / is served";
    return request;
  }
  if (target.substr(0, target.find('?')) != "/") {
    request.status = 404;
    request.reason = "not found: only GET / is served";
  }
  return request;
}

std::string FormatReply(int status, std::string_view body) {
  std::string reply = "HTTP/1.1 " + std::to_string(status) + " " +
                      std::string(ReasonPhrase(status)) +
                      "\r\nContent-Type: text/plain; charset=us-ascii\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\nConnection: close\r\n";
  if (status == 405) reply += "Allow: GET\r\n";
  reply += "\r\n";
  reply += body;
  return reply;
}

void WriteLogLine(const std::string& line) {
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t wrote = write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;
    done += static_cast<std::size_t>(wrote);
  }
}

std::string BindHttpService(HttpService& http, const ServiceOptions& options) {
  CloseIfOpen(http.listenFd);
  const std::string where = options.bind + ":" + std::to_string(options.port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(options.port);
  if (const int error = getaddrinfo(options.bind.c_str(), port.c_str(), &hints, &found);
      error != 0) {
    return "cannot listen on " + where + ": " + gai_strerror(error);
  }
  const int fd = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  std::string error;
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
  } else {
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, found->ai_addr, found->ai_addrlen) != 0 || listen(fd, 128) != 0)
      error = "cannot listen on " + where + ": " + std::strerror(errno);
  }
  freeaddrinfo(found);
  if (!error.empty()) {
    if (fd >= 0) close(fd);
    return error;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  http.port = ntohs(bound.ss_family == AF_INET6
                        ? reinterpret_cast<const sockaddr_in6&>(bound).sin6_port
                        : reinterpret_cast<const sockaddr_in&>(bound).sin_port);
  http.listenFd = fd;
  if (http.wakeRead < 0) {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return std::string("pipe: ") + std::strerror(errno);
    http.wakeRead = wake[0];
    http.wakeWrite = wake[1];
  }
  return {};
}

bool ServeHttpService(HttpService& http, TranslationService& service,
                      const ServiceOptions& options) {
  if (http.listenFd < 0 || http.wakeRead < 0) return false;
  ConnectionQueue queue;
  queue.limit = options.queueLimit == 0 ? 1 : options.queueLimit;
  std::vector<std::thread> workers;
  for (std::size_t i = 0; i < (options.threads == 0 ? 1 : options.threads); ++i) {
    workers.emplace_back([&] {
      Connection connection;
      while (TakeConnection(queue, connection)) ServeConnection(connection, service, options);
    });
  }
  while (!http.stopping) {
    pollfd ready[2] = {{http.listenFd, POLLIN, 0}, {http.wakeRead, POLLIN, 0}};
    if (poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready[1].revents != 0) break;
    if ((ready[0].revents & POLLIN) == 0) continue;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const int fd = accept4(http.listenFd, reinterpret_cast<sockaddr*>(&address), &length,
                           SOCK_CLOEXEC);
    if (fd < 0) {
      // Out of descriptors or memory: give the workers time to close some.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    if (!PushConnection(queue, {fd, PeerAddress(address)}, http.stopping)) close(fd);
  }
  CloseIfOpen(http.listenFd);  // new connections are refused from here on
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.closing = true;
  }
  queue.waiting.notify_all();
  for (std::thread& worker : workers) worker.join();
  return true;
}

void StopHttpService(HttpService& http) {
  http.stopping = true;
  const char wake = 1;
  [[maybe_unused]] const ssize_t wrote = write(http.wakeWrite, &wake, 1);
}

}  // namespace vokabino
