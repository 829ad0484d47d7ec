#pragma once
// What the fuzz targets share: a check that turns a broken invariant into a crash
// libFuzzer reports (with the input saved), and small reference helpers.
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Prints what failed and aborts; libFuzzer then keeps the input as a crash file.
#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__,      \
                   #condition);                                                      \
      std::abort();                                                                  \
    }                                                                                \
  } while (false)

namespace vokabino {

inline bool HoldsZeroByte(std::string_view bytes) {
  return bytes.find('\0') != std::string_view::npos;
}

// The bytes up to the first zero byte.
inline std::string_view CutAtZero(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace vokabino
