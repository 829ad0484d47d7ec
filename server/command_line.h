#pragma once
// vokabino-translate's command line: [--port N] [--bind ADDRESS] [--help].
#include <string>
#include <vector>

namespace vokabino {

struct CommandLine {
  std::string bind = "127.0.0.1";
  int port = 7318;       // 0 to 65535; 0 lets the system pick a free port
  bool help = false;     // --help or -h: print the usage and exit 0
  std::string error;     // one line when the arguments are not usable; exit 2
};

// Reads the arguments after the program name. Accepts "--port N", "--port=N",
// "--bind ADDRESS", "--bind=ADDRESS", "--help" and "-h"; anything else, a missing
// value or a port that is not a whole number from 0 to 65535 sets error.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints.
std::string UsageText();

}  // namespace vokabino
