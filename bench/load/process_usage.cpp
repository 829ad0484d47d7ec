#include "bench/load/process_usage.h"

#include <dirent.h>

#include <algorithm>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace vokabino {
namespace {

// The number after "name:" in a /proc file of "name: value [kB]" lines, or -1.
std::int64_t NumberField(const std::string& path, const std::string& name) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.compare(0, name.size(), name) == 0 && line.size() > name.size() &&
        line[name.size()] == ':')
      return std::strtoll(line.c_str() + name.size() + 1, nullptr, 10);
  }
  return -1;
}

}  // namespace

std::int64_t ResidentKilobytes(pid_t pid) {
  return NumberField("/proc/" + std::to_string(pid) + "/status", "VmRSS");
}

std::int64_t ProportionalKilobytes(pid_t pid) {
  return NumberField("/proc/" + std::to_string(pid) + "/smaps_rollup", "Pss");
}

int OpenDescriptors(pid_t pid) {
  DIR* fds = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
  if (fds == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(fds))
    if (entry->d_name[0] != '.') ++count;
  closedir(fds);
  return count;
}

int ThreadCount(pid_t pid) {
  return static_cast<int>(NumberField("/proc/" + std::to_string(pid) + "/status", "Threads"));
}

std::vector<pid_t> ChildPids(pid_t parent) {
  std::vector<pid_t> children;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return children;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // "pid (comm) state ppid ...": comm may hold spaces, so read after the last ")".
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(text.substr(close + 1));
    std::string state;
    pid_t ppid = 0;
    rest >> state >> ppid;
    if (ppid == parent && state != "Z") children.push_back(pid);
  }
  closedir(proc);
  std::sort(children.begin(), children.end());
  return children;
}

std::vector<pid_t> DescendantPids(pid_t root) {
  std::vector<pid_t> found;
  std::vector<pid_t> toVisit = {root};
  while (!toVisit.empty()) {
    const pid_t parent = toVisit.back();
    toVisit.pop_back();
    for (const pid_t child : ChildPids(parent)) {
      found.push_back(child);
      toVisit.push_back(child);
    }
  }
  return found;
}

ServiceUsage SampleServiceUsage(pid_t service, bool withProportional) {
  ServiceUsage sample;
  sample.serviceKb = ResidentKilobytes(service);
  sample.descriptors = OpenDescriptors(service);
  sample.threads = ThreadCount(service);
  if (withProportional) {
    sample.serviceProportionalKb = ProportionalKilobytes(service);
    sample.pipelinesProportionalKb = 0;
  }
  for (const pid_t stage : DescendantPids(service)) {
    const std::int64_t resident = ResidentKilobytes(stage);
    if (resident < 0) continue;  // ended between the listing and now
    sample.pipelinesKb += resident;
    ++sample.pipelineProcesses;
    if (withProportional) {
      const std::int64_t proportional = ProportionalKilobytes(stage);
      if (proportional > 0) sample.pipelinesProportionalKb += proportional;
    }
  }
  return sample;
}

}  // namespace vokabino
