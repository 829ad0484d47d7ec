// Round trip of TranslateLine against a loopback server that answers at once:
// connect, request, reply, scratch file written and read back, translation cut out.
// Reports the median of the individual round trips as median_us.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "translation/translate_line.h"

namespace {

const std::string kReplyBody = "<translation>Bonjour,+comment+allez-vous+%3F</translation>";
const std::string kReply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                           std::to_string(kReplyBody.size()) + "\r\nConnection: close\r\n\r\n" +
                           kReplyBody;

// Serves every connection with kReply as soon as the request head is in, on its
// own thread, until destroyed.
struct ImmediateServer {
  ImmediateServer() {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(listener, 64) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      std::abort();
    }
    port = ntohs(address.sin_port);
    worker = std::thread([this] { Run(); });
  }
  ~ImmediateServer() {
    stop = true;
    worker.join();
    ::close(listener);
  }

  void Run() {
    while (!stop) {
      pollfd entry{listener, POLLIN, 0};
      if (::poll(&entry, 1, 50) <= 0) continue;
      const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
      }
      if (::send(fd, kReply.data(), kReply.size(), MSG_NOSIGNAL) < 0) {
        // The client is gone; nothing to answer.
      }
      ::close(fd);
    }
  }

  int listener = -1;
  std::uint16_t port = 0;
  std::atomic<bool> stop{false};
  std::thread worker;
};

void BM_TranslateLineLoopback(benchmark::State& state) {
  ImmediateServer server;
  std::string folder = (std::filesystem::temp_directory_path() / "vokabino-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no scratch folder");
    return;
  }
  vokabino::TranslationConfig config;
  config.host = "127.0.0.1:" + std::to_string(server.port);
  config.scratchPath = folder + "/teste.txt";

  std::vector<double> roundTripsUs;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    vokabino::Text translation = vokabino::TranslateLine("Hello, how are you?", config);
    const auto end = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(translation);
    if (translation != "Bonjour, comment allez-vous ?") {
      state.SkipWithError("wrong translation");
      break;
    }
    roundTripsUs.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  if (!roundTripsUs.empty()) {
    auto middle = roundTripsUs.begin() + static_cast<std::ptrdiff_t>(roundTripsUs.size() / 2);
    std::nth_element(roundTripsUs.begin(), middle, roundTripsUs.end());
    state.counters["median_us"] = *middle;
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_TranslateLineLoopback)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
