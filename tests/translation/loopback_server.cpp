#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace vokabino::testing_support {
namespace {

// Upper bound of every wait in the server: far above any client limit used in the
// tests, far below the test's own time-out.
constexpr int kServerWaitMs = 20'000;

int ListenOnLoopback(std::uint16_t& port, int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  // Set before listen() so that accepted sockets inherit it and the window is small.
  if (receiveBuffer > 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd, 4) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::close(fd);
    throw std::runtime_error("bind/listen");
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool WaitReadable(int fd, int ms) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, ms) > 0;
}

void ReadRequestHead(int fd, std::string& request) {
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(fd, kServerWaitMs)) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    request.append(buffer, static_cast<std::size_t>(got));
  }
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

// Returns once the client has closed its end (or the server's bound is reached).
void WaitForClientClose(int fd) {
  char buffer[4096];
  while (WaitReadable(fd, kServerWaitMs)) {
    if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return;
  }
}

void WaitForRelease(LoopbackServer& server) {
  std::unique_lock lock(server.mutex);
  server.releasedChanged.wait_for(lock, std::chrono::milliseconds(kServerWaitMs),
                                  [&] { return server.released; });
}

void Serve(LoopbackServer& server) {
  const int listener = server.listener;
  const ServerScript& script = server.script;
  std::string& request = server.request;
  if (!WaitReadable(listener, kServerWaitMs)) return;
  const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (script.readRequest) ReadRequestHead(fd, request);
  bool open = true;
  for (const ServerStep& step : script.steps) {
    if (step.pauseBefore.count() > 0) std::this_thread::sleep_for(step.pauseBefore);
    if (!(open = SendAll(fd, step.bytes))) break;
  }
  const auto fillEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(kServerWaitMs);
  while (open && !script.endlessFill.empty() && std::chrono::steady_clock::now() < fillEnd) {
    if (script.fillPause.count() > 0) std::this_thread::sleep_for(script.fillPause);
    open = SendAll(fd, script.endlessFill);
  }
  if (open && script.holdOpen) WaitForClientClose(fd);
  if (script.holdUntilReleased) WaitForRelease(server);
  ::close(fd);
}

}  // namespace

std::vector<ServerStep> OneByteSteps(const std::string& text, std::chrono::milliseconds pause) {
  std::vector<ServerStep> steps;
  for (char c : text) steps.push_back({std::string(1, c), pause});
  return steps;
}

LoopbackServer::LoopbackServer(ServerScript serverScript) : script(std::move(serverScript)) {
  listener = ListenOnLoopback(port, script.receiveBuffer);
  worker = std::thread([this] { Serve(*this); });
}

LoopbackServer::~LoopbackServer() {
  Release();
  if (worker.joinable()) worker.join();
  ::close(listener);
}

std::string LoopbackServer::Authority() const { return "127.0.0.1:" + std::to_string(port); }

std::string LoopbackServer::FinishAndTakeRequest() {
  if (worker.joinable()) worker.join();
  return request;
}

void LoopbackServer::Release() {
  {
    std::lock_guard lock(mutex);
    released = true;
  }
  releasedChanged.notify_all();
}

std::uint16_t UnusedLoopbackPort() {
  std::uint16_t port = 0;
  ::close(ListenOnLoopback(port, 0));
  return port;
}

}  // namespace vokabino::testing_support
