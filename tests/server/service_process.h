#pragma once
// The real vokabino-translate, started for one test on a free loopback port and
// stopped by its pid. Its standard error is collected on a thread so the log can
// be inspected (and the service never blocks on a full pipe).
#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "text/text.h"
#include "translation/translation_config.h"

namespace vokabino::testing_support {

struct ServiceProcess {
  std::string program;  // executable to start; empty for this build's
                        // (VOKABINO_TRANSLATE_PATH)
  pid_t pid = -1;
  int port = 0;
  std::thread logReader;
  std::mutex logLock;
  std::string log;  // everything written to standard error so far

  ServiceProcess() = default;
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;
  ~ServiceProcess();  // kills it (SIGKILL) if still running
};

// Starts service.program with "--port 0" and the given extra environment entries
// ("NAME=value") and waits for its "ready on" line. False (with the log so far in
// service.log) when it exits or is not ready within the time given.
bool StartService(ServiceProcess& service, const std::vector<std::string>& environment = {},
                  std::chrono::seconds readyWithin = std::chrono::seconds(60));

// Sends SIGTERM and waits for the exit; returns the exit status, or -1 when it
// did not exit normally within the time given.
int StopService(ServiceProcess& service, std::chrono::seconds within = std::chrono::seconds(20));

std::string ServiceLog(ServiceProcess& service);

// The log once it holds part at least times times (it is read on another
// thread), or as it is after five seconds without.
std::string LogOnceItHas(ServiceProcess& service, const std::string& part,
                         std::size_t times = 1);

// The short program name of a running process ("lt-proc"), empty when gone.
std::string ProcessName(pid_t pid);

// A client configuration for the service, with its own scratch file.
TranslationConfig ClientConfig(const ServiceProcess& service, const std::string& scratchPath);

// Sends bytes on a fresh loopback connection, half-closes, and returns all the
// service sends back until it closes (or 15 s pass).
std::string RawExchange(int port, const std::string& bytes);

// A fresh directory under /tmp, removed with its files by the destructor.
struct ScratchDirectory {
  std::string path;
  ScratchDirectory();
  ~ScratchDirectory();
  std::string File(const std::string& name) const { return path + "/" + name; }
};

}  // namespace vokabino::testing_support
