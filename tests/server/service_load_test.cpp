// A short run of bench_load's mix against the real service (1,000 requests, 16
// at once, one in ten malformed), and the judge of such runs on made-up results,
// so that a run that goes wrong cannot pass unseen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/load/load_plan.h"
#include "bench/load/load_run.h"
#include "bench/load/load_verdict.h"
#include "service_process.h"

namespace vokabino {
namespace {

using namespace testing_support;

TEST(ServiceUnderLoad, AnswersEveryRequestOfTheMixRightAndKeepsItsMemory) {
  ServiceProcess service;
  ASSERT_TRUE(StartService(service)) << ServiceLog(service);
  LoadPlanOptions planOptions;
  planOptions.requests = 1000;
  const std::vector<PlannedRequest> plan = PlanLoad(planOptions, service.port);
  LoadOptions options;
  options.timeLimit = std::chrono::seconds(120);
  const LoadRun run = RunLoad(plan, service.port, service.pid, options);
  MemoryBound bound;
#if defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer holds freed memory back in quarantine (256 MB by
  // default), so resident memory says nothing about leaks there; its own leak
  // check at the service's exit does.
  bound.slackKb = 512 * 1024;
#endif
  const LoadVerdict verdict = JudgeLoad(plan, run, bound);
  const std::string report = FormatLoadReport(run, verdict, bound);

  EXPECT_TRUE(verdict.faults.empty()) << report;
  EXPECT_EQ(verdict.sent, 1000u) << report;
  EXPECT_EQ(verdict.wellFormedRight, 900u) << report;
  EXPECT_EQ(verdict.malformedRight, 100u) << report;
  for (const RequestKind kind : kMalformedKinds) {
    std::size_t seen = 0;
    for (const auto& [label, count] : verdict.outcomes)
      if (label.starts_with(std::string(RequestKindName(kind)) + ":")) seen += count;
    EXPECT_EQ(seen, 10u) << RequestKindName(kind) << "\n" << report;
  }
  EXPECT_EQ(run.after.pipelineProcesses, run.before.pipelineProcesses) << report;
  EXPECT_EQ(StopService(service), 0);
  // No pipeline died or stalled on the way, even if the retry hid it.
  const std::vector<std::string> trouble = TroubleInServiceLog(ServiceLog(service), 5);
  EXPECT_TRUE(trouble.empty()) << trouble.front();
}

ExchangeResult Answer(int status, std::string body) {
  ExchangeResult result;
  result.outcome = ExchangeOutcome::Answered;
  result.status = status;
  result.body = std::move(body);
  result.elapsed = std::chrono::milliseconds(3);
  return result;
}

ExchangeResult Outcome(ExchangeOutcome outcome) {
  ExchangeResult result;
  result.outcome = outcome;
  return result;
}

TEST(LoadVerdict, EachWayARunCanGoWrongIsAFault) {
  // Two well-formed requests for one line, one bad password, one binary blob.
  std::vector<PlannedRequest> plan(4);
  plan[0].line = plan[1].line = "I am tired.";
  plan[2].kind = RequestKind::BadPassword;
  plan[2].statuses = {403};
  plan[3].kind = RequestKind::BinaryBlob;
  plan[3].statuses = {400};
  plan[3].closeIsRight = true;
  const std::string right = "<translation>Je%20suis%20fatigu%E9.</translation>";

  LoadRun good;
  good.results = {Answer(200, right), Answer(200, right), Answer(403, "wrong password\n"),
                  Outcome(ExchangeOutcome::ClosedWithoutReply)};
  good.seconds = 1;
  good.before.serviceKb = 6000;
  good.after.serviceKb = 6000 * 2 + 20 * 1024;  // exactly at the bound
  good.before.descriptors = good.after.descriptors = 12;
  good.before.threads = good.after.threads = 10;
  const LoadVerdict passed = JudgeLoad(plan, good, MemoryBound{});
  EXPECT_TRUE(passed.faults.empty()) << passed.faults.front();
  EXPECT_EQ(passed.outcomes.at("well-formed: 200"), 2u);
  EXPECT_EQ(passed.outcomes.at("binary blob: closed"), 1u);

  struct Case {
    const char* what;
    void (*spoil)(LoadRun&);
    const char* fault;  // part of the fault line expected
  };
  const Case cases[] = {
      {"503", [](LoadRun& r) { r.results[0] = Answer(503, "translation failed\n"); }, "status 503"},
      {"no reply", [](LoadRun& r) { r.results[1] = Outcome(ExchangeOutcome::TimedOut); },
       "timed out"},
      {"garbled", [](LoadRun& r) { r.results[1] = Outcome(ExchangeOutcome::GarbledReply); },
       "garbled reply"},
      {"no markers", [](LoadRun& r) { r.results[0] = Answer(200, "Je suis fatigu\xE9."); },
       "body not <translation>"},
      {"empty", [](LoadRun& r) { r.results[0] = Answer(200, "<translation></translation>"); },
       "empty translation"},
      {"raw bytes",
       [](LoadRun& r) { r.results[0] = Answer(200, "<translation>Je suis</translation>"); },
       "badly escaped"},
      {"other line's answer",
       [](LoadRun& r) { r.results[1] = Answer(200, "<translation>Bonjour</translation>"); },
       "different translations"},
      {"malformed served",
       [](LoadRun& r) { r.results[2] = Answer(200, "<translation>x</translation>"); },
       "bad password got 200"},
      {"malformed unanswered",
       [](LoadRun& r) { r.results[2] = Outcome(ExchangeOutcome::ClosedWithoutReply); },
       "bad password got closed"},
      {"leak", [](LoadRun& r) { r.after.serviceKb += 1; }, "service memory grew"},
      {"descriptor leak", [](LoadRun& r) { r.after.descriptors = 13; }, "descriptors grew"},
      {"thread leak", [](LoadRun& r) { r.after.threads = 11; }, "threads went from 10 to 11"},
      {"crash", [](LoadRun& r) { r.serviceEnded = "killed by signal 11"; }, "signal 11"},
      {"out of time",
       [](LoadRun& r) {
         r.timeLimitReached = true;
         r.results[3] = Outcome(ExchangeOutcome::NotSent);
       },
       "1 requests not sent"},
  };
  for (const Case& c : cases) {
    LoadRun spoiled = good;
    c.spoil(spoiled);
    const LoadVerdict verdict = JudgeLoad(plan, spoiled, MemoryBound{});
    ASSERT_EQ(verdict.faults.size(), 1u) << c.what;
    EXPECT_NE(verdict.faults[0].find(c.fault), std::string::npos)
        << c.what << ": " << verdict.faults[0];
  }
}

}  // namespace
}  // namespace vokabino
