#include "server/http_service.h"

#include <httplib.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vokabino {
namespace {

using Clock = std::chrono::steady_clock;

// The library hands every accepted connection to a task queue. Its own pool
// queues without limit; this one makes the accepting thread wait when
// queueLimit connections are already waiting, so a flood of connections costs
// neither memory nor descriptors here.
class BoundedWorkerPool : public httplib::TaskQueue {
 public:
  BoundedWorkerPool(std::size_t threads, std::size_t queueLimit) : limit_(queueLimit) {
    for (std::size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~BoundedWorkerPool() override { shutdown(); }

  void enqueue(std::function<void()> job) override {
    std::unique_lock<std::mutex> lock(mutex_);
    roomLeft_.wait(lock, [this] { return jobs_.size() < limit_ || stopping_; });
    jobs_.push_back(std::move(job));
    jobWaiting_.notify_one();
  }

  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_ && workers_.empty()) return;
      stopping_ = true;
    }
    jobWaiting_.notify_all();
    roomLeft_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        jobWaiting_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty()) return;  // stopping, and nothing left to answer
        job = std::move(jobs_.front());
        jobs_.pop_front();
        roomLeft_.notify_one();
      }
      job();
    }
  }

  const std::size_t limit_;
  std::mutex mutex_;
  std::condition_variable jobWaiting_;
  std::condition_variable roomLeft_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> workers_;
  bool stopping_ = false;
};

// Printable ASCII only, so a client cannot break a log line in two.
std::string Printable(std::string_view text, std::size_t limit) {
  std::string shown;
  for (char c : text.substr(0, limit)) shown += (c >= ' ' && c < 0x7F) ? c : '?';
  if (text.size() > limit) shown += "...";
  return shown;
}

std::string RawQuery(const std::string& target) {
  const std::size_t mark = target.find('?');
  return mark == std::string::npos ? std::string() : target.substr(mark + 1);
}

void LogRequest(const httplib::Request& request, const httplib::Response& response) {
  std::string line = "vokabino-translate: " + request.remote_addr + " " +
                     Printable(request.method, 8) + " " + std::to_string(response.status);
  if (response.has_header("X-Translation-Engine")) {
    line += " " + response.get_header_value("X-Translation-Engine");
    line += " text=" + response.get_header_value("X-Text-Bytes") + "B";
  }
  if (response.has_header("X-Elapsed-Ms")) line += " " + response.get_header_value("X-Elapsed-Ms") + "ms";
  if (response.has_header("X-Translation-Note")) {
    line += " (" + response.get_header_value("X-Translation-Note") + ")";
  } else if (response.status >= 400) {
    line += " (" + Printable(response.body.substr(0, response.body.find('\n')), 120) + ")";
  }
  if (response.status == 404 || response.status == 405) {
    line += " path=" + Printable(request.path, 60);
  }
  WriteLogLine(line + "\n");
}

void Answer(TranslationService& service, const httplib::Request& request,
            httplib::Response& response) {
  const Clock::time_point start = Clock::now();
  const ServiceReply reply = AnswerTranslationQuery(service, RawQuery(request.target));
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f", static_cast<double>(micros) / 1000.0);
  response.status = reply.status;
  response.set_content(reply.body, "text/plain; charset=us-ascii");
  response.set_header("X-Elapsed-Ms", elapsed);
  if (!reply.engine.empty()) {
    response.set_header("X-Translation-Engine", reply.engine);
    response.set_header("X-Text-Bytes", std::to_string(reply.textBytes));
  }
  if (!reply.note.empty()) response.set_header("X-Translation-Note", Printable(reply.note, 300));
}

}  // namespace

HttpService::HttpService() : server(std::make_unique<httplib::Server>()) {}
HttpService::~HttpService() = default;

void WriteLogLine(const std::string& line) {
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t wrote = write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;
    done += static_cast<std::size_t>(wrote);
  }
}

std::string BindHttpService(HttpService& http, TranslationService& service,
                            const ServiceOptions& options) {
  httplib::Server& server = *http.server;
  const std::size_t threads = options.threads == 0 ? 1 : options.threads;
  const std::size_t queueLimit = options.queueLimit == 0 ? 1 : options.queueLimit;
  server.new_task_queue = [threads, queueLimit] {
    return new BoundedWorkerPool(threads, queueLimit);
  };
  server.set_read_timeout(options.readTimeout);
  server.set_write_timeout(options.readTimeout);
  server.set_keep_alive_timeout(2);
  server.set_keep_alive_max_count(16);
  server.set_payload_max_length(4096);
  server.Get("/", [&service](const httplib::Request& request, httplib::Response& response) {
    Answer(service, request, response);
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
    std::string reason = "request refused";
    if (response.status == 404) reason = "not found: only GET / is served";
    if (response.status == 405) reason = "method not allowed: only GET / is served";
    if (response.status == 400) reason = "malformed request";
    if (response.status == 414) reason = "request line too long";
    if (response.status == 413) reason = "request body too large";
    response.set_content(reason + "\n", "text/plain; charset=us-ascii");
    return httplib::Server::HandlerResponse::Handled;
  }));
  server.set_logger(LogRequest);

  if (options.port == 0) {
    const int port = server.bind_to_any_port(options.bind);
    if (port <= 0) return "cannot listen on " + options.bind + " (any port)";
    http.port = port;
  } else {
    if (!server.bind_to_port(options.bind, options.port)) {
      return "cannot listen on " + options.bind + ":" + std::to_string(options.port) +
             " (in use, or not an address of this machine)";
    }
    http.port = options.port;
  }
  return {};
}

bool ServeHttpService(HttpService& http) { return http.server->listen_after_bind(); }

bool HttpServiceIsRunning(HttpService& http) { return http.server->is_running(); }

void StopHttpService(HttpService& http) { http.server->stop(); }

}  // namespace vokabino
