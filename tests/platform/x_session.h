#pragma once
// Helpers for tests that run inside the private X session of with_x.sh.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "platform/ui_toolkit.h"

namespace vokabino {

// Runs a shell command in the background (xdotool scripts that answer a
// modal requester while the test is blocked inside it).
inline void RunInBackground(const std::string& command) {
  const std::string line = "(" + command + ") >/dev/null 2>&1 &";
  [[maybe_unused]] int rc = std::system(line.c_str());
}

inline int RunCommand(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str());
}

// Pumps the toolkit until done() holds or the time runs out.
inline bool PumpUntil(UiToolkit& toolkit, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    toolkit.ProcessOneEvent();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

inline void Pump(UiToolkit& toolkit, std::chrono::milliseconds duration) {
  PumpUntil(toolkit, [] { return false; }, duration);
}

}  // namespace vokabino
