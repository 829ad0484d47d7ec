#pragma once
// A scripted HTTP server for tests: listens on 127.0.0.1 at an ephemeral port,
// serves exactly one connection on its own thread and then stops. Every wait in
// it is bounded, so a client fault fails the test instead of hanging it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vokabino::testing_support {

struct ServerStep {
  std::string bytes;
  std::chrono::milliseconds pauseBefore{0};
};

struct ServerScript {
  bool readRequest = true;          // read the request head before answering
  std::vector<ServerStep> steps{};  // sent in order, each as its own send()
  std::string endlessFill{};        // when set, sent again and again after the steps
  std::chrono::milliseconds fillPause{0};
  bool holdOpen = false;           // after the steps, keep the connection until the client closes
  bool holdUntilReleased = false;  // after the steps, neither read nor close until Release()
  int receiveBuffer = 0;           // SO_RCVBUF of the server's socket when above 0
};

// Steps that send text one byte at a time, pause before each.
std::vector<ServerStep> OneByteSteps(const std::string& text, std::chrono::milliseconds pause);

struct LoopbackServer {
  explicit LoopbackServer(ServerScript script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // "127.0.0.1:<port>".
  std::string Authority() const;
  // Waits for the connection to be over and gives the request bytes received.
  std::string FinishAndTakeRequest();
  // Lets a holdUntilReleased server close its connection.
  void Release();

  std::uint16_t port = 0;
  ServerScript script;
  std::string request;
  int listener = -1;
  std::mutex mutex;
  std::condition_variable releasedChanged;
  bool released = false;
  std::thread worker;
};

// A port on 127.0.0.1 that nothing listens on (taken and released at once).
std::uint16_t UnusedLoopbackPort();

}  // namespace vokabino::testing_support
