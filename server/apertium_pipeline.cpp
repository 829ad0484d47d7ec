#include "server/apertium_pipeline.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

void CloseIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Runs in the child between fork and exec: async-signal-safe calls only (the
// service has other threads, whose locks the child may have inherited held).
[[noreturn]] void ExecStage(int stdinFd, int stdoutFd, int errorFd, const char* program,
                            char* const* argv) {
  if (dup2(stdinFd, STDIN_FILENO) < 0 || dup2(stdoutFd, STDOUT_FILENO) < 0) {
    const int error = errno;
    [[maybe_unused]] ssize_t ignored = write(errorFd, &error, sizeof error);
    _exit(127);
  }
  // errorFd must survive until exec so it can report a failure; it is
  // close-on-exec, so exec itself closes it.
  if (errorFd > 3) close_range(3, static_cast<unsigned>(errorFd) - 1, 0);
  close_range(static_cast<unsigned>(errorFd) + 1, ~0U, 0);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaultAction = {};
  defaultAction.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &defaultAction, nullptr);
  execv(program, argv);
  const int error = errno;
  [[maybe_unused]] ssize_t ignored = write(errorFd, &error, sizeof error);
  _exit(127);
}

// The file execvp would run for name, found in the parent (execvp itself is not
// safe between fork and exec in a threaded process). A name with "/" is used as
// it is; one not found is returned unchanged, so exec reports ENOENT.
std::string ResolveProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string_view directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = directories.find(':');
    std::string candidate(directories.substr(0, colon));
    if (candidate.empty()) candidate.push_back('.');  // an empty entry means the current directory
    candidate += '/';
    candidate.append(name);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return name;
    directories.remove_prefix(colon + 1);
  }
}

// Starts one stage reading stdinFd and writing stdoutFd. Returns its pid, or -1
// with error set.
pid_t StartStage(const StageCommand& command, int stdinFd, int stdoutFd, std::string& error) {
  const std::string program = ResolveProgram(command.front());
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return -1;
  }
  const pid_t pid = fork();
  if (pid == 0) ExecStage(stdinFd, stdoutFd, report[1], program.c_str(), argv.data());
  close(report[1]);
  if (pid < 0) {
    error = std::string("fork: ") + std::strerror(errno);
    close(report[0]);
    return -1;
  }
  int childError = 0;
  ssize_t got;
  do {
    got = read(report[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    error = "cannot run " + command.front() + ": " + std::strerror(childError);
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return pid;
}

int RemainingMilliseconds(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Reads whatever is waiting without blocking. False when the pipe is closed.
bool DiscardWaitingOutput(int fd) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) continue;
    if (got == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

}  // namespace

ApertiumPipeline::~ApertiumPipeline() { StopPipeline(*this); }

std::string StartPipeline(ApertiumPipeline& pipeline) {
  StopPipeline(pipeline);
  if (pipeline.stages.empty()) return "no stages to run";
  int first[2];
  if (pipe2(first, O_CLOEXEC) != 0) return std::string("pipe: ") + std::strerror(errno);
  pipeline.input = first[1];
  int upstream = first[0];  // what the next stage reads
  std::string error;
  for (const StageCommand& command : pipeline.stages) {
    int next[2];
    if (pipe2(next, O_CLOEXEC) != 0) {
      error = std::string("pipe: ") + std::strerror(errno);
      break;
    }
    const pid_t pid = StartStage(command, upstream, next[1], error);
    close(upstream);
    close(next[1]);
    upstream = next[0];
    if (pid < 0) break;
    pipeline.pids.push_back(pid);
  }
  pipeline.output = upstream;
  if (error.empty() && (!SetNonBlocking(pipeline.input) || !SetNonBlocking(pipeline.output)))
    error = std::string("fcntl: ") + std::strerror(errno);
  if (!error.empty()) StopPipeline(pipeline);
  return error;
}

void StopPipeline(ApertiumPipeline& pipeline) {
  CloseIfOpen(pipeline.input);
  CloseIfOpen(pipeline.output);
  for (pid_t pid : pipeline.pids) {
    if (pid <= 0) continue;
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  pipeline.pids.clear();
}

bool PipelineIsRunning(ApertiumPipeline& pipeline) {
  if (pipeline.pids.empty() || pipeline.input < 0 || pipeline.output < 0) return false;
  bool running = true;
  for (pid_t& pid : pipeline.pids) {
    if (pid <= 0) {
      running = false;
    } else if (waitpid(pid, nullptr, WNOHANG) != 0) {
      pid = -1;  // ended (reaped now) or no longer our child
      running = false;
    }
  }
  return running;
}

LineResult RunPipelineLine(ApertiumPipeline& pipeline, std::string_view input,
                           std::chrono::milliseconds timeout) {
  LineResult result;
  if (!PipelineIsRunning(pipeline) || !DiscardWaitingOutput(pipeline.output)) return result;
  std::string message(input);
  message += '\0';
  std::size_t sent = 0;
  const Clock::time_point deadline = Clock::now() + timeout;
  char buffer[4096];
  for (;;) {
    pollfd fds[2] = {{pipeline.output, POLLIN, 0}, {pipeline.input, POLLOUT, 0}};
    const nfds_t count = sent < message.size() ? 2 : 1;
    const int ready = poll(fds, count, RemainingMilliseconds(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return result;
    }
    if (ready == 0) {
      result.outcome = LineOutcome::TimedOut;
      return result;
    }
    if (count == 2 && (fds[1].revents & (POLLERR | POLLHUP))) return result;
    if (count == 2 && (fds[1].revents & POLLOUT)) {
      const ssize_t wrote = write(pipeline.input, message.data() + sent, message.size() - sent);
      if (wrote > 0) {
        sent += static_cast<std::size_t>(wrote);
      } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        return result;  // EPIPE: the first stage is gone
      }
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t got = read(pipeline.output, buffer, sizeof buffer);
      if (got == 0) return result;
      if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
        return result;
      }
      const char* end = static_cast<const char*>(std::memchr(buffer, '\0', got));
      result.output.append(buffer, end ? end - buffer : got);
      if (end != nullptr) break;
    }
  }
  // A stage that ended while the line was in flight makes the ones behind it
  // flush and close: that NUL answers nothing.
  if (sent < message.size() || !PipelineIsRunning(pipeline)) {
    result.output.clear();
    return result;
  }
  result.outcome = LineOutcome::Done;
  return result;
}

}  // namespace vokabino
