#include "service_process.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace vokabino::testing_support {
namespace {

using Clock = std::chrono::steady_clock;

bool ExitedWithin(pid_t pid, std::chrono::milliseconds within, int& status) {
  const auto deadline = Clock::now() + within;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return true;
    if (done < 0) return false;
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

ServiceProcess::~ServiceProcess() {
  if (pid > 0) {
    // The whole group: pipeline stages left behind by a service that died
    // would hold its standard error open and the log reader with it.
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  if (logReader.joinable()) logReader.join();
}

bool StartService(ServiceProcess& service, const std::vector<std::string>& environment,
                  std::chrono::seconds readyWithin) {
  int errPipe[2];
  if (pipe2(errPipe, O_CLOEXEC) != 0) return false;
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "VOKABINO_UPSTREAM", 17) != 0) env.emplace_back(*entry);
  }
  env.insert(env.end(), environment.begin(), environment.end());
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = service.program.empty() ? VOKABINO_TRANSLATE_PATH : service.program;
  std::string portArg = "--port";
  std::string zero = "0";
  char* argv[] = {program.data(), portArg.data(), zero.data(), nullptr};

  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group, so that a test can end it with its stages
    dup2(errPipe[1], STDERR_FILENO);
    execve(argv[0], argv, envp.data());
    _exit(127);
  }
  close(errPipe[1]);
  if (pid < 0) {
    close(errPipe[0]);
    return false;
  }
  service.pid = pid;
  const int readEnd = errPipe[0];
  service.logReader = std::thread([&service, readEnd] {
    char buffer[4096];
    for (;;) {
      const ssize_t got = read(readEnd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      std::lock_guard<std::mutex> guard(service.logLock);
      service.log.append(buffer, static_cast<std::size_t>(got));
    }
    close(readEnd);
  });

  const std::string marker = "ready on http://127.0.0.1:";
  const auto deadline = Clock::now() + readyWithin;
  while (Clock::now() < deadline) {
    {
      std::lock_guard<std::mutex> guard(service.logLock);
      const std::size_t at = service.log.find(marker);
      if (at != std::string::npos) {
        service.port = std::atoi(service.log.c_str() + at + marker.size());
        return service.port > 0;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      service.pid = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int StopService(ServiceProcess& service, std::chrono::seconds within) {
  if (service.pid <= 0) return -1;
  kill(service.pid, SIGTERM);
  int status = 0;
  const bool exited = ExitedWithin(service.pid, within, status);
  if (!exited) return -1;
  service.pid = -1;
  if (service.logReader.joinable()) service.logReader.join();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServiceLog(ServiceProcess& service) {
  std::lock_guard<std::mutex> guard(service.logLock);
  return service.log;
}

std::string LogOnceItHas(ServiceProcess& service, const std::string& part, std::size_t times) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  for (;;) {
    std::string log = ServiceLog(service);
    std::size_t found = 0;
    for (std::size_t at = log.find(part); at != std::string::npos; at = log.find(part, at + 1))
      ++found;
    if (found >= times || Clock::now() > deadline) return log;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}


std::string ProcessName(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

TranslationConfig ClientConfig(const ServiceProcess& service, const std::string& scratchPath) {
  TranslationConfig config;
  config.host = "127.0.0.1:" + std::to_string(service.port);
  config.scratchPath = scratchPath;
  return config;
}

std::string RawExchange(int port, const std::string& bytes) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return reply;
  }
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (wrote <= 0) break;  // the service may refuse and close before reading it all
    sent += static_cast<std::size_t>(wrote);
  }
  shutdown(fd, SHUT_WR);
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  char buffer[4096];
  while (Clock::now() < deadline) {
    pollfd ready = {fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    reply.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return reply;
}

ScratchDirectory::ScratchDirectory() {
  char pattern[] = "/tmp/vokabino-server-test-XXXXXX";
  if (mkdtemp(pattern) != nullptr) path = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  if (!path.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
}

}  // namespace vokabino::testing_support
