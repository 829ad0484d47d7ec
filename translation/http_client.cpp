#include "translation/http_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "text/codepage.h"
#include "translation/http_request.h"

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

// Closes the descriptor it owns when the exchange ends, on every path.
struct OwnedFd {
  int fd = -1;
  OwnedFd() = default;
  explicit OwnedFd(int descriptor) : fd(descriptor) {}
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd() {
    if (fd >= 0) ::close(fd);
  }
};

// Milliseconds until deadline for poll(), 0 once it has passed.
int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<std::int64_t>(left, 0, 1'000'000'000));
}

// Waits for events on fd until deadline. Returns the revents, or 0 on time-out.
short PollUntil(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, MillisecondsLeft(deadline));
    if (ready > 0) return entry.revents;
    if (ready == 0) return 0;
    if (errno != EINTR) return POLLERR;
  }
}

std::optional<in_addr> ResolveIpv4(const std::string& host) {
  in_addr address{};
  if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return std::nullopt;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return address;
}

bool ConnectUntil(int fd, in_addr address, std::uint16_t port, Clock::time_point deadline) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr = address;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return true;
  if (errno != EINPROGRESS && errno != EINTR) return false;
  if ((PollUntil(fd, POLLOUT, deadline) & (POLLOUT | POLLERR | POLLHUP)) == 0) return false;
  int error = 0;
  socklen_t size = sizeof error;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool SendAllUntil(int fd, std::string_view data, Clock::time_point deadline) {
  while (!data.empty()) {
    const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      data.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    if (Clock::now() >= deadline) return false;
    if ((PollUntil(fd, POLLOUT, deadline) & (POLLOUT | POLLERR | POLLHUP)) == 0) return false;
  }
  return true;
}

// One receive of at most size bytes, waiting until deadline for data. Returns the
// byte count; 0 when the wait ran out, the server closed, or the socket failed.
std::size_t ReceiveBlockUntil(int fd, char* buffer, std::size_t size, Clock::time_point deadline) {
  for (;;) {
    if (PollUntil(fd, POLLIN, deadline) == 0) return 0;
    const ssize_t received = ::recv(fd, buffer, size, 0);
    if (received > 0) return static_cast<std::size_t>(received);
    if (received == 0) return 0;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return 0;
    if (Clock::now() >= deadline) return 0;
  }
}

// Writes as much of data as the file takes; returns the bytes written.
std::size_t WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
    if (wrote > 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (wrote < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  return done;
}

}  // namespace

bool StartNetworking() {
  // POSIX needs no start-up call; readiness means a TCP socket can be made.
  static std::atomic<bool> started{false};
  if (started.load()) return true;
  const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  ::close(probe);
  started.store(true);
  return true;
}

std::uint64_t HttpGetToFile(std::string_view url, const Text& fileName, const HttpLimits& limits) {
  const Clock::time_point exchangeEnd = Clock::now() + limits.exchangeTimeout;
  const auto until = [&](std::chrono::milliseconds wait) {
    return std::min(Clock::now() + wait, exchangeEnd);
  };

  const std::optional<HttpUrl> parts = SplitHttpUrl(url);
  if (!parts) return 0;
  const std::optional<in_addr> address = ResolveIpv4(parts->host);
  if (!address) return 0;

  OwnedFd connection(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (connection.fd < 0) return 0;
  if (!ConnectUntil(connection.fd, *address, parts->port, until(limits.connectTimeout))) return 0;
  if (!SendAllUntil(connection.fd, FormatGetRequest(*parts), until(limits.sendTimeout))) return 0;

  ResponseFramer framer;
  framer.limits = limits.response;
  std::vector<char> block(std::max<std::size_t>(limits.blockSize, 1));
  std::string body;
  OwnedFd file;
  std::uint64_t written = 0;
  while (!IsFinalResponseState(framer.state)) {
    const bool untilClose =
        framer.state == ResponseState::ReadingBody && framer.framing == BodyFraming::UntilClose;
    const std::size_t received =
        ReceiveBlockUntil(connection.fd, block.data(), block.size(),
                          until(untilClose ? limits.untilCloseWait : limits.blockWait));
    if (received == 0) break;
    body.clear();
    FeedResponse(framer, std::string_view(block.data(), received), body);
    if (framer.bodyBegun && file.fd < 0) {
      file.fd =
          ::open(Cp1252ToUtf8(fileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      if (file.fd < 0) return 0;
    }
    if (body.empty()) continue;
    const std::size_t stored = WriteAll(file.fd, body);
    written += stored;
    if (stored < body.size()) break;
  }
  return written;
}

}  // namespace vokabino
