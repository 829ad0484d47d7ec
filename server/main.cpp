// vokabino-translate: the offline translation service the player asks by default.
// See UsageText() for what it takes and does.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "server/apertium_translator.h"
#include "server/command_line.h"
#include "server/http_service.h"
#include "server/translation_service.h"
#include "server/upstream.h"

namespace vokabino {
namespace {

// Translators (pairs of warm pipelines) kept running. Each carries one line at a
// time in its 21 processes, about 350 MB resident. On two cores a second one
// raised throughput from about 210 to 230 lines a second (bench_server), far
// beyond what a player needs, so one it is.
constexpr std::size_t kTranslators = 1;

void Log(const std::string& message) { WriteLogLine("vokabino-translate: " + message + "\n"); }

// Pipeline stages and sockets must never land on descriptors 0 to 2, which a
// parent may have left closed.
void EnsureStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) {
      const int opened = open("/dev/null", O_RDWR);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
  }
}

std::string AddressForUrl(const std::string& bind, int port) {
  const bool ipv6 = bind.find(':') != std::string::npos;
  return (ipv6 ? "[" + bind + "]" : bind) + ":" + std::to_string(port);
}

int RunService(const CommandLine& line) {
  EnsureStandardStreams();
  signal(SIGPIPE, SIG_IGN);
  // Stop signals are taken by one thread with sigwait; every other thread,
  // started after this, keeps them blocked.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  const auto started = std::chrono::steady_clock::now();
  TranslationService service;
  service.upstream = ReadUpstreamConfig([](const char* name) { return std::getenv(name); });

  HttpService http;
  ServiceOptions options;
  options.bind = line.bind;
  options.port = line.port;
  if (const std::string error = BindHttpService(http, options); !error.empty()) {
    Log(error);
    return 1;
  }

  const std::string apertiumError =
      StartApertiumEngine(service.apertium, LoadApertiumModes(), kTranslators);
  if (!apertiumError.empty()) {
    if (!service.upstream) {
      Log("cannot start Apertium: " + apertiumError +
          " (install apertium, apertium-eng-spa and apertium-fr-es)");
      return 1;
    }
    Log("Apertium unavailable (" + apertiumError + "); answering from the upstream server only");
  }

  std::atomic<bool> served = false;
  std::thread signalWaiter([&] {
    int received = 0;
    sigwait(&stopSignals, &received);
    if (!served) StopHttpService(http);
  });

  const auto readyMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
  std::string how = apertiumError.empty() ? "Apertium warm" : "no Apertium";
  if (service.upstream) how += ", upstream " + service.upstream->url;
  Log("ready on http://" + AddressForUrl(line.bind, http.port) + "/ (" + how + ", " +
      std::to_string(readyMs) + " ms after start)");

  const bool ok = ServeHttpService(http, service, options);
  served = true;
  // The waiter is still in sigwait unless a stop signal ended the serving.
  if (!http.stopping) pthread_kill(signalWaiter.native_handle(), SIGTERM);
  signalWaiter.join();
  StopApertiumEngine(service.apertium);
  Log(ok ? "stopped" : "stopped: the listening socket failed");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace vokabino

int main(int argc, char** argv) {
  using namespace vokabino;
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "vokabino-translate: %s\nTry 'vokabino-translate --help'.\n",
                 line.error.c_str());
    return 2;
  }
  return RunService(line);
}
