#pragma once
// A minimal HTTP/1.1 client on POSIX sockets: one GET, its body streamed into a
// file. Blocking for the caller (it returns only when the exchange is over) and
// bounded in time: no server, however slow or hostile, holds it longer than
// HttpLimits::exchangeTimeout, name resolution aside. Memory stays within one
// receive block plus the framer's head line, whatever the body's size.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/text.h"
#include "translation/http_response.h"

namespace vokabino {

// Every time-out of an exchange. The defaults are the product's; tests shrink them.
struct HttpLimits {
  std::chrono::milliseconds connectTimeout{10'000};   // TCP connect
  std::chrono::milliseconds sendTimeout{10'000};      // sending the whole request
  std::chrono::milliseconds blockWait{10'000};        // each block of the head, and of
                                                      // length-framed and chunked bodies
  std::chrono::milliseconds untilCloseWait{1'000};    // each block of a body read until close
  std::chrono::milliseconds exchangeTimeout{30'000};  // connect to last byte, all included
  std::size_t blockSize = 2048;                       // bytes taken per receive
  ResponseLimits response;                            // head size and body size caps
};

// Nonzero when the socket layer can be used. The first success is remembered and
// later calls return at once; after a failure the next call tries again. Safe to
// call from any thread.
bool StartNetworking();

// Sends "GET" for url (see SplitHttpUrl: host as a dotted IPv4 address or a name
// resolved to its first IPv4 address, port 80 unless given) and writes the body of
// an accepted reply (status 200 or 302) to fileName, a Text path (Windows-1252,
// converted to UTF-8 for the file system). The file is created or truncated only
// when the body begins (see ResponseFramer::bodyBegun); a reply that is refused or
// never reaches its body leaves an existing file untouched.
//
// Returns the number of body bytes written; 0 means failure or an empty body. A
// body cut short (connection closed, a wait ran out, or the exchange time-out hit)
// counts with the bytes that arrived. SIGPIPE is never raised.
std::uint64_t HttpGetToFile(std::string_view url, const Text& fileName,
                            const HttpLimits& limits = {});

}  // namespace vokabino
