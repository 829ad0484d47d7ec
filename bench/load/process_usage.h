#pragma once
// What the service holds, read from /proc: its resident memory, open
// descriptors and threads, and the resident memory of the processes it runs
// (its Apertium pipeline stages).
//
// Sizes are in kibibytes, as /proc gives them. Resident sizes of several
// processes added up count pages they share (libraries, dictionaries mapped
// from the same files) once per process; the proportional size (Pss) shares
// such pages out and so adds up to what the group really holds.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vokabino {

// VmRSS of pid, or -1 when it is gone (or /proc cannot be read).
std::int64_t ResidentKilobytes(pid_t pid);

// Pss of pid from /proc/<pid>/smaps_rollup, or -1 when it cannot be read.
// Costs a walk of the process's page tables: sample it now and then, not in a loop.
std::int64_t ProportionalKilobytes(pid_t pid);

// Every living descendant of pid (children, their children, ...), from one pass
// over /proc. Zombies are left out.
// The live (not zombie) children of a process, sorted.
std::vector<pid_t> ChildPids(pid_t parent);
std::vector<pid_t> DescendantPids(pid_t pid);

// Open descriptors of pid (entries of /proc/<pid>/fd), or -1.
int OpenDescriptors(pid_t pid);

// Threads of pid ("Threads:" in /proc/<pid>/status), or -1.
int ThreadCount(pid_t pid);

struct ServiceUsage {
  std::int64_t serviceKb = -1;          // VmRSS of the service process
  int descriptors = -1;                 // open in the service process
  int threads = -1;                     // of the service process
  std::int64_t pipelinesKb = 0;         // VmRSS summed over its descendants
  std::size_t pipelineProcesses = 0;    // how many descendants were counted
  std::int64_t serviceProportionalKb = -1;    // Pss, when asked for
  std::int64_t pipelinesProportionalKb = -1;  // Pss summed, when asked for
};

// The service's usage and its descendants' memory. withProportional adds the
// Pss figures.
ServiceUsage SampleServiceUsage(pid_t service, bool withProportional);

}  // namespace vokabino
