#pragma once
// One Apertium pipeline kept running: its stages are child processes joined by
// pipes (fork and exec, no shell), each started with "-z" so that every NUL byte
// written into the first stage flushes the line before it out of the last one,
// followed by a NUL. A line therefore costs a few milliseconds instead of the
// half second or more that loading the dictionaries takes.
//
// Threading: an ApertiumPipeline is used by one thread at a time; the caller
// holds the lock (see ApertiumTranslator). Starting and stopping are safe while
// other threads run, since every descriptor is opened close-on-exec and the
// children close all but their standard streams.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "server/apertium_mode.h"

namespace vokabino {

struct ApertiumPipeline {
  std::vector<StageCommand> stages;  // what to run, first stage first
  std::vector<pid_t> pids;           // one per running stage; -1 once reaped
  int input = -1;                    // non-blocking write end into the first stage
  int output = -1;                   // non-blocking read end out of the last stage
  std::string label;                 // for log lines, such as "eng-spa"

  ApertiumPipeline() = default;
  ApertiumPipeline(const ApertiumPipeline&) = delete;
  ApertiumPipeline& operator=(const ApertiumPipeline&) = delete;
  ~ApertiumPipeline();  // stops it
};

// Starts pipeline.stages. Returns an empty string on success, else one line
// saying which stage could not be started (a program that cannot be executed is
// reported here, not at the first line); nothing is left running then. Stages
// inherit the service's standard error; their signal mask and SIGPIPE disposition
// are reset to the defaults.
std::string StartPipeline(ApertiumPipeline& pipeline);

// Kills every stage (SIGKILL), waits for each and closes both ends. Safe on a
// pipeline that was never started or is already stopped.
void StopPipeline(ApertiumPipeline& pipeline);

// True while every stage is running. Reaps (and marks with -1) any that ended.
bool PipelineIsRunning(ApertiumPipeline& pipeline);

enum class LineOutcome {
  Done,      // output holds the answer to this line
  Died,      // a stage has ended or a pipe is closed: restart before reuse
  TimedOut,  // no NUL came back in time: the stream is out of step, restart
};

struct LineResult {
  LineOutcome outcome = LineOutcome::Died;
  std::string output;  // bytes before the answering NUL (only with Done)
};

// Writes input and one NUL, then reads up to the NUL that answers it, writing and
// reading together so a long line cannot deadlock on full pipes. Output still
// waiting from an earlier line is discarded first. input must hold no NUL.
// timeout bounds the whole exchange.
LineResult RunPipelineLine(ApertiumPipeline& pipeline, std::string_view input,
                           std::chrono::milliseconds timeout);

}  // namespace vokabino
