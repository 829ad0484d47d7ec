// The real client (TranslateLine) against the real service with the real
// Apertium pipelines, each test on its own service and port.
#include <httplib.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "bench/load/process_usage.h"
#include "service_process.h"
#include "translation/translate_line.h"

namespace vokabino {
namespace {

using namespace testing_support;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::size_t CountOccurrencesOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartService(service_)) << ServiceLog(service_); }

  Text Translate(const Text& line, const std::string& scratch = "teste.txt") {
    return TranslateLine(line, ClientConfig(service_, folder_.File(scratch)));
  }

  ServiceProcess service_;
  ScratchDirectory folder_;
};

TEST_F(ServiceTest, OrdinaryLinesComeBackInFrenchWithTheirAccents) {
  struct Case {
    Text english;
    std::vector<Text> frenchParts;  // Windows-1252
  };
  const Case cases[] = {
      {"The weather is nice today.", {"temps", "aujourd'hui"}},
      {"I am tired.", {"Je suis fatigu\xE9."}},
      {"We are going to the beach.", {"\xE0 la plage"}},
      {"He said \x91hello\x92 to the \x9Cuvre.", {"\x91", "\x9Cuvre"}},
      {"Caf\xE9 and cr\xE8me.", {"cr\xE8me"}},
  };
  for (const Case& c : cases) {
    const Text french = Translate(c.english);
    for (const Text& part : c.frenchParts) EXPECT_TRUE(Contains(french, part)) << french;
    EXPECT_FALSE(Contains(french, "*")) << "unknown-word mark in " << french;
  }
  // A second pause on the same line is answered from the cache, with the same text.
  EXPECT_EQ(Translate("I am tired."), "Je suis fatigu\xE9.");
  EXPECT_TRUE(Contains(LogOnceItHas(service_, " 200 cache "), " 200 cache text=11B"));
  // Unknown words come through unmarked.
  EXPECT_TRUE(Contains(Translate("The frobnicator is here."), "frobnicator"));
}

TEST_F(ServiceTest, StreamFormatCharactersSurviveAndKeepThePipelinesInStep) {
  const std::pair<Text, std::vector<Text>> cases[] = {
      {"Send ^money$ now.", {"^", "$"}},
      {"Look up ^", {"^"}},
      {"The [old] {new} house.", {"[", "]", "{", "}"}},
      {"Open C:\\temp/a file @home.", {"\\", "/", "@"}},
      {"Use <b> tags and 50% & more + less.", {"<", ">", "50%", "&", "+"}},
      {"We're #1 ~ la la la ~", {"#", "~"}},
      {"All: ! \" # $ % & ' ( ) * + , - . / : ; < = > ? @ [ \\ ] ^ _ ` { | } ~", {"`", "|"}},
  };
  for (const auto& [english, parts] : cases) {
    const Text french = Translate(english);
    for (const Text& part : parts) EXPECT_TRUE(Contains(french, part)) << english << " -> " << french;
    // Out of step, the next line would come back with this one's answer.
    EXPECT_TRUE(Contains(Translate("The weather is nice today."), "temps")) << english;
  }
  const std::string log = LogOnceItHas(service_, " GET 200 ", 2 * std::size(cases));
  EXPECT_FALSE(Contains(log, "died")) << log;
  EXPECT_FALSE(Contains(log, "timed out")) << log;
}

TEST_F(ServiceTest, ConcurrentClientsEachGetTheirOwnLine) {
  constexpr int kClients = 6;
  constexpr int kLinesEach = 8;
  std::atomic<int> wrong = 0;
  std::vector<std::string> failures(kClients);
  std::vector<std::thread> clients;
  for (int client = 0; client < kClients; ++client) {
    clients.emplace_back([&, client] {
      for (int i = 0; i < kLinesEach; ++i) {
        // Every third line repeats across clients, so the cache is used concurrently too.
        const int number = (i % 3 == 0) ? 900 + i : 100 * client + i;
        const Text french =
            Translate("Line " + std::to_string(number) + ": the weather is nice today.",
                      "scratch" + std::to_string(client) + ".txt");
        if (!Contains(french, std::to_string(number)) || !Contains(french, "temps")) {
          ++wrong;
          failures[client] += "[" + std::to_string(number) + " -> " + french + "] ";
        }
      }
    });
  }
  for (std::thread& client : clients) client.join();
  std::string all;
  for (const std::string& f : failures) all += f;
  EXPECT_EQ(wrong, 0) << all;
}

TEST_F(ServiceTest, MalformedRequestsGetA4xxAndALogLineAndHarmNothing) {
  const std::string ok = "&email=e@x&password=qx5318";
  const std::pair<std::string, std::string> cases[] = {
      {"GARBAGE\r\n\r\n", "HTTP/1.1 400 "},
      {std::string("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03\r\n\r\n", 15), "HTTP/1.1 400 "},
      {"POST /?src=en&dest=fr&text=hi" + ok + " HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello",
       "HTTP/1.1 405 "},
      {"GET /elsewhere HTTP/1.1\r\n\r\n", "HTTP/1.1 404 "},
      {"GET /?src=en&dest=fr&text=hi&email=e&password=wrong HTTP/1.1\r\n\r\n", "HTTP/1.1 403 "},
      {"GET /?src=en&dest=de&text=hi" + ok + " HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET /?src=en&dest=fr" + ok + " HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET /?src=en&dest=fr&text=%ZZ" + ok + " HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET /?src=en&dest=fr&text=a%00b" + ok + " HTTP/1.1\r\n\r\n", "HTTP/1.1 400 "},
      {"GET /?src=en&dest=fr&text=" + std::string(5000, 'a') + ok + " HTTP/1.1\r\n\r\n",
       "HTTP/1.1 414 "},
      {"GET /?" + std::string(100000, 'a') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 414 "},
      {"GET / HTTP/1.1\r\n" + std::string(300, 'X') + std::string(200 * 100, 'h') + "\r\n\r\n",
       "HTTP/1.1 431 "},
      {"GET /?src=en&dest=fr&te", "HTTP/1.1 400 "},
  };
  for (const auto& [request, statusLine] : cases) {
    const std::string reply = RawExchange(service_.port, request);
    EXPECT_EQ(reply.substr(0, statusLine.size()), statusLine) << request.substr(0, 80);
    EXPECT_TRUE(Contains(reply, "\r\nContent-Length: ")) << reply;
  }
  // A well-formed empty line is answered, not refused.
  EXPECT_TRUE(Contains(
      RawExchange(service_.port, "GET /?src=en&dest=fr&text=" + ok + " HTTP/1.1\r\n\r\n"),
      "HTTP/1.1 200 OK\r\n"));
  // A connection that sends nothing is not a request.
  EXPECT_EQ(RawExchange(service_.port, ""), "");

  EXPECT_TRUE(Contains(Translate("The weather is nice today."), "temps"));
  const std::string log = LogOnceItHas(service_, "(wrong password)");
  std::size_t refusals = 0;
  for (const char* status : {" 400 ", " 403 ", " 404 ", " 405 ", " 414 ", " 431 "})
    refusals += CountOccurrencesOf(log, status);
  EXPECT_EQ(refusals, std::size(cases)) << log;
  EXPECT_TRUE(Contains(log, " GET 403 ")) << log;
  EXPECT_TRUE(Contains(log, "(wrong password)")) << log;
  EXPECT_EQ(StopService(service_), 0);
}

TEST_F(ServiceTest, AKilledPipelineStageIsReplacedAndTheLineStillTranslated) {
  const std::vector<pid_t> before = ChildPids(service_.pid);
  ASSERT_GE(before.size(), 10u);
  // The first stage, one in the middle, and the very last one.
  const std::size_t victims[] = {0, before.size() / 2, before.size() - 1};
  int round = 0;
  for (std::size_t index : victims) {
    const std::vector<pid_t> stages = ChildPids(service_.pid);
    ASSERT_EQ(stages.size(), before.size());
    const pid_t victim = stages[index];
    SCOPED_TRACE(ProcessName(victim) + " at " + std::to_string(index));
    ASSERT_EQ(kill(victim, SIGKILL), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const Text french = Translate("Round " + std::to_string(++round) + ": I am tired.");
    EXPECT_TRUE(Contains(french, "fatigu\xE9")) << french;
    EXPECT_TRUE(Contains(french, std::to_string(round))) << french;
    const std::vector<pid_t> after = ChildPids(service_.pid);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(std::count(after.begin(), after.end(), victim), 0);
  }
  const std::string log = LogOnceItHas(service_, " died", 3);
  EXPECT_EQ(CountOccurrencesOf(log, " died"), 3u) << log;
}

TEST_F(ServiceTest, AStageThatStopsAnsweringCostsOneLineNotTheService) {
  const std::vector<pid_t> stages = ChildPids(service_.pid);
  ASSERT_GE(stages.size(), 10u);
  const pid_t frozen = stages[stages.size() / 2];
  ASSERT_EQ(kill(frozen, SIGSTOP), 0);
  // The line is given up after the pipeline's time-out (5 s) with a 503, which
  // the player sees as no translation.
  EXPECT_EQ(Translate("I am tired."), "");
  const std::string log = LogOnceItHas(service_, " 503 ");
  EXPECT_TRUE(Contains(log, " 503 ")) << log;
  EXPECT_TRUE(Contains(log, " timed out")) << log;
  EXPECT_EQ(ProcessName(frozen), "");  // killed and reaped by the restart
  EXPECT_TRUE(Contains(Translate("The weather is nice today."), "temps"));
  EXPECT_TRUE(Contains(Translate("I am tired."), "fatigu\xE9"));
}

TEST_F(ServiceTest, StopsOnSigtermAndTakesItsStagesWithIt) {
  EXPECT_TRUE(Contains(Translate("I am tired."), "fatigu\xE9"));
  const std::vector<pid_t> stages = ChildPids(service_.pid);
  ASSERT_FALSE(stages.empty());
  EXPECT_EQ(StopService(service_), 0);
  for (pid_t stage : stages) EXPECT_EQ(ProcessName(stage), "") << "stage " << stage << " left";
  EXPECT_TRUE(Contains(ServiceLog(service_), "vokabino-translate: stopped"));
}

// A LibreTranslate-compatible server in this process.
struct FakeUpstream {
  httplib::Server server;
  std::thread thread;
  int port = 0;
  std::mutex lock;
  std::string lastBody;
  std::atomic<int> status = 200;
  std::string answer;

  explicit FakeUpstream(std::string json) : answer(std::move(json)) {
    server.Post("/mt/translate", [this](const httplib::Request& request,
                                        httplib::Response& response) {
      {
        std::lock_guard<std::mutex> guard(lock);
        lastBody = request.body;
      }
      response.status = status;
      response.set_content(answer, "application/json");
    });
    port = server.bind_to_any_port("127.0.0.1");
    // Bound means listening: connections wait in the backlog until the thread accepts.
    thread = std::thread([this] { server.listen_after_bind(); });
  }
  ~FakeUpstream() {
    server.stop();
    thread.join();
  }
};

TEST(UpstreamService, UpstreamAnswersFirstAndApertiumWhenItFails) {
  FakeUpstream upstream(
      R"({"translatedText":"L\u2019\u00e9t\u00e9 \u00e0 No\u00ebl, \u0153uvre \u2603"})");
  ASSERT_GT(upstream.port, 0);
  ServiceProcess service;
  ASSERT_TRUE(StartService(
      service, {"VOKABINO_UPSTREAM_URL=http://127.0.0.1:" + std::to_string(upstream.port) + "/mt/"}))
      << ServiceLog(service);
  ScratchDirectory folder;
  const TranslationConfig config = ClientConfig(service, folder.File("teste.txt"));

  // The snowman has no Windows-1252 byte: "?".
  EXPECT_EQ(TranslateLine("Summer at Christmas, caf\xE9 work", config),
            "L\x92\xE9t\xE9 \xE0 No\xEBl, \x9Cuvre ?");
  {
    std::lock_guard<std::mutex> guard(upstream.lock);
    EXPECT_TRUE(Contains(upstream.lastBody, "\"q\":\"Summer at Christmas, caf\xC3\xA9 work\""))
        << upstream.lastBody;
    EXPECT_TRUE(Contains(upstream.lastBody, "\"source\":\"en\",\"target\":\"fr\""));
  }

  upstream.status = 500;
  EXPECT_TRUE(Contains(TranslateLine("The weather is nice today.", config), "temps"));
  upstream.status = 200;
  upstream.answer = "not json";
  EXPECT_TRUE(Contains(TranslateLine("I am tired.", config), "fatigu\xE9"));
  const std::string log = LogOnceItHas(service, "(upstream answer has no translatedText)");
  EXPECT_TRUE(Contains(log, " 200 upstream ")) << log;
  EXPECT_TRUE(Contains(log, "(upstream answered status 500)")) << log;
  EXPECT_TRUE(Contains(log, "(upstream answer has no translatedText)")) << log;
  EXPECT_EQ(StopService(service), 0);
}

}  // namespace
}  // namespace vokabino
