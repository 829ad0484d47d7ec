#include "bench/load/load_run.h"

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

void KeepPeak(std::int64_t& peak, std::int64_t value) { peak = std::max(peak, value); }

}  // namespace

std::string HowProcessEnded(pid_t pid) {
  siginfo_t info{};
  if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
    // Not our child: all that can be told is whether it is still there.
    return ResidentKilobytes(pid) < 0 ? "gone" : "";
  }
  if (info.si_pid == 0) return "";
  if (info.si_code == CLD_EXITED) return "exited with status " + std::to_string(info.si_status);
  return "killed by signal " + std::to_string(info.si_status);
}

LoadRun RunLoad(const std::vector<PlannedRequest>& plan, int port, pid_t service,
                const LoadOptions& options) {
  LoadRun run;
  run.results.resize(plan.size());
  run.before = SampleServiceUsage(service, true);
  run.peakServiceKb = run.before.serviceKb;
  run.peakPipelinesKb = run.before.pipelinesKb;

  std::atomic<std::size_t> next = 0;
  std::atomic<std::size_t> finished = 0;
  std::atomic<bool> stop = false;  // the service ended: start nothing more
  std::atomic<bool> outOfTime = false;
  const std::size_t senderCount = options.concurrency == 0 ? 1 : options.concurrency;
  std::atomic<std::size_t> sendersLeft = senderCount;
  const Clock::time_point start = Clock::now();
  const Clock::time_point noneAfter = start + options.timeLimit;
  std::mutex lastEndLock;
  Clock::time_point lastEnd = start;  // when the last sender finished

  std::vector<std::thread> senders;
  for (std::size_t s = 0; s < senderCount; ++s) {
    senders.emplace_back([&] {
      for (;;) {
        if (stop) break;
        if (Clock::now() >= noneAfter) {
          outOfTime = true;
          break;
        }
        const std::size_t i = next++;
        if (i >= plan.size()) break;
        run.results[i] = RunExchange(port, plan[i], options.exchangeTimeout);
        ++finished;
      }
      {
        std::lock_guard<std::mutex> guard(lastEndLock);
        lastEnd = std::max(lastEnd, Clock::now());
      }
      --sendersLeft;
    });
  }

  // The watcher: the service's end at once, its memory twice a second, and the
  // middle sample once half the plan is through.
  bool middleTaken = plan.empty();
  Clock::time_point nextSample = start;
  while (sendersLeft > 0) {
    if (run.serviceEnded.empty()) {
      run.serviceEnded = HowProcessEnded(service);
      if (!run.serviceEnded.empty()) stop = true;
    }
    if (run.serviceEnded.empty() && !middleTaken && finished * 2 >= plan.size()) {
      run.middle = SampleServiceUsage(service, true);
      middleTaken = true;
    }
    if (run.serviceEnded.empty() && Clock::now() >= nextSample) {
      const ServiceUsage sample = SampleServiceUsage(service, false);
      KeepPeak(run.peakServiceKb, sample.serviceKb);
      KeepPeak(run.peakPipelinesKb, sample.pipelinesKb);
      nextSample += std::chrono::milliseconds(500);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (std::thread& sender : senders) sender.join();
  run.seconds = std::chrono::duration<double>(lastEnd - start).count();
  run.timeLimitReached = outOfTime && next < plan.size();

  if (run.serviceEnded.empty()) run.serviceEnded = HowProcessEnded(service);
  if (run.serviceEnded.empty()) {
    // A connection whose reply the client has read in full may still be
    // closing on the service's side for a moment.
    const Clock::time_point settled = Clock::now() + std::chrono::seconds(2);
    while (OpenDescriptors(service) > run.before.descriptors && Clock::now() < settled)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    run.after = SampleServiceUsage(service, true);
    KeepPeak(run.peakServiceKb, run.after.serviceKb);
    KeepPeak(run.peakPipelinesKb, run.after.pipelinesKb);
  }
  return run;
}

}  // namespace vokabino
