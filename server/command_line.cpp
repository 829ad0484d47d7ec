#include "server/command_line.h"

namespace vokabino {
namespace {

bool ReadPort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 65535) return false;
  port = value;
  return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.help = true;
      continue;
    }
    std::string name = argument;
    std::string value;
    bool hasValue = false;
    if (const std::size_t equals = argument.find('='); argument.starts_with("--") &&
                                                       equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    if (name != "--port" && name != "--bind") {
      line.error = "unknown argument " + argument;
      return line;
    }
    if (!hasValue) {
      if (i + 1 >= arguments.size()) {
        line.error = name + " needs a value";
        return line;
      }
      value = arguments[++i];
    }
    if (name == "--port") {
      if (!ReadPort(value, line.port)) {
        line.error = "--port takes a number from 0 to 65535, not \"" + value + "\"";
        return line;
      }
    } else {
      if (value.empty()) {
        line.error = "--bind needs an address";
        return line;
      }
      line.bind = value;
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: vokabino-translate [--port N] [--bind ADDRESS]\n"
         "\n"
         "Offline English-to-French translation service for the Vokabino player.\n"
         "Answers GET /?src=en&dest=fr&text=...&email=...&password=... with\n"
         "<translation>...</translation>, translating with Apertium (English to\n"
         "Spanish to French).\n"
         "\n"
         "  --port N          port to listen on (default 7318; 0 picks a free one)\n"
         "  --bind ADDRESS    address to listen on (default 127.0.0.1, this machine only)\n"
         "  -h, --help        show this text\n"
         "\n"
         "Environment:\n"
         "  VOKABINO_UPSTREAM_URL      a LibreTranslate-compatible server to ask first\n"
         "                             (POST <url>/translate); Apertium answers when it fails\n"
         "  VOKABINO_UPSTREAM_API_KEY  its api_key, if it wants one\n"
         "\n"
         "Logs one line per request to standard error, and a line saying\n"
         "\"ready on ADDRESS:PORT\" once it answers requests.\n";
}

}  // namespace vokabino
