#pragma once
// The HTTP side of vokabino-translate: "GET /?<query>" answered by
// AnswerTranslationQuery, one log line per request on standard error.
//
// Bounds: a fixed number of worker threads; at most queueLimit accepted
// connections wait for one (beyond that the service stops accepting and the
// kernel's backlog holds the rest); request lines over 8 KiB are refused by the
// HTTP library and queries over kMaxQueryBytes by the service; bodies are not
// read beyond a few KiB; a client that stalls is dropped after readTimeout.
//
// Threading: BindHttpService and ServeHttpService on one thread;
// StopHttpService from any thread (a signal-waiting thread, typically).
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "server/translation_service.h"

namespace httplib {
class Server;
}

namespace vokabino {

struct ServiceOptions {
  std::string bind = "127.0.0.1";  // address to listen on; loopback unless told otherwise
  int port = 7318;                 // 0 picks a free port (see HttpService::port)
  std::size_t threads = 4;         // workers answering requests
  std::size_t queueLimit = 32;     // accepted connections waiting for a worker
  std::chrono::seconds readTimeout{5};
};

struct HttpService {
  std::unique_ptr<httplib::Server> server;
  int port = 0;  // the port actually bound
  HttpService();
  ~HttpService();
};

// Sets up the routes, limits and logging and binds the listening socket. Returns
// an empty string on success, else one line. service must outlive the serving.
std::string BindHttpService(HttpService& http, TranslationService& service,
                            const ServiceOptions& options);

// Accepts and answers requests until StopHttpService; returns false when
// accepting failed for another reason.
bool ServeHttpService(HttpService& http);

// True while ServeHttpService is accepting.
bool HttpServiceIsRunning(HttpService& http);

// Makes a running ServeHttpService return once the requests in progress are
// answered. Does nothing before ServeHttpService has started accepting: wait
// for HttpServiceIsRunning first.
void StopHttpService(HttpService& http);

// One log line, newline included, written with a single call so that lines
// from concurrent requests never interleave.
void WriteLogLine(const std::string& line);

}  // namespace vokabino
