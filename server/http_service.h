#pragma once
// The HTTP side of vokabino-translate: "GET /?<query>" answered by
// AnswerTranslationQuery, every connection closed after one reply, one log line
// per request on standard error.
//
// The request target is taken exactly as received. The player leaves "#" (and
// "&", "+", "=") unescaped inside the line, so a general-purpose HTTP server,
// which cuts the target at "#" as a fragment, would lose the rest of the query;
// hence this small server of our own on POSIX sockets.
//
// Bounds: options.threads workers; at most options.queueLimit accepted
// connections wait for one, beyond which accepting pauses and the kernel's
// backlog holds the rest; the request head (request line and headers) must
// arrive whole within options.headTimeout and fit options.maxHeadBytes, the
// request line options.maxRequestLineBytes; a body is never read.
//
// Threading: BindHttpService, then ServeHttpService on one thread;
// StopHttpService from any thread, at any time (it only writes one byte to a
// pipe, so a signal handler could call it too).
#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "server/translation_service.h"

namespace vokabino {

struct ServiceOptions {
  std::string bind = "127.0.0.1";  // address to listen on; loopback unless told otherwise
  int port = 7318;                 // 0 lets the system pick a free port (see HttpService::port)
  std::size_t threads = 8;         // workers answering connections
  std::size_t queueLimit = 64;     // accepted connections waiting for a worker
  std::chrono::milliseconds headTimeout{5'000};   // to receive the whole request head
  std::chrono::milliseconds writeTimeout{5'000};  // to send the whole reply
  std::size_t maxRequestLineBytes = 8192;         // longer: 414
  std::size_t maxHeadBytes = 16384;               // longer: 431
  bool logRequests = true;                        // one line per request on standard error
};

struct HttpService {
  int listenFd = -1;
  int wakeRead = -1;   // StopHttpService writes one byte into wakeWrite
  int wakeWrite = -1;
  int port = 0;        // the port actually bound
  std::atomic<bool> stopping = false;
  HttpService() = default;
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;
  ~HttpService();  // closes the sockets and the pipe
};

// Resolves options.bind, binds and listens. Returns an empty string on success,
// else one line (address in use, not an address of this machine, ...).
std::string BindHttpService(HttpService& http, const ServiceOptions& options);

// Accepts and answers connections until StopHttpService, then finishes the
// connections already accepted and returns true; false when the service was
// not bound.
bool ServeHttpService(HttpService& http, TranslationService& service,
                      const ServiceOptions& options);

void StopHttpService(HttpService& http);

// What the head of one request says, as far as this service cares.
struct RequestHead {
  int status = 0;       // 0 when usable, else the HTTP status to refuse it with
  std::string reason;   // one line when refused
  std::string method;
  std::string target;   // exactly as sent, "#" and all
};

// Reads the request line of a complete head (which ends with an empty line; CR
// before LF optional). A line that is not "METHOD SP TARGET SP HTTP/1.x" gives
// 400; a request line over maxRequestLineBytes gives 414; a method other than
// GET 405; a target other than "/" or "/?..." 404.
RequestHead ReadRequestHead(std::string_view head, std::size_t maxRequestLineBytes);

// The bytes of a whole reply: status line, Content-Type (text/plain, ASCII),
// Content-Length, Connection: close, and the body.
std::string FormatReply(int status, std::string_view body);

// One log line, newline included, written with a single call so that lines from
// concurrent requests never interleave.
void WriteLogLine(const std::string& line);

}  // namespace vokabino
