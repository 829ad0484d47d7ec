#include "server/apertium_mode.h"

#include <fstream>
#include <sstream>

namespace vokabino {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

ModeParse Failure(std::string message) {
  ModeParse parse;
  parse.error = std::move(message);
  return parse;
}

void FinishStage(StageCommand& stage) {
  bool hasFlush = false;
  for (std::size_t i = 1; i < stage.size(); ++i) hasFlush = hasFlush || stage[i] == "-z";
  if (!hasFlush) stage.insert(stage.begin() + 1, "-z");
}

}  // namespace

ModeParse ParseModePipeline(std::string_view line) {
  ModeParse parse;
  StageCommand stage;
  std::string word;
  bool inWord = false;   // a word has begun (possibly an empty quoted one)
  bool variable = false;  // the word is a bare "$n" placeholder

  auto endWord = [&]() -> std::string {
    if (!inWord) return {};
    if (variable) {
      if (word == "$1") {
        stage.push_back("-n");
      } else if (word != "$2") {
        return "unsupported variable " + word;
      }
    } else {
      stage.push_back(word);
    }
    word.clear();
    inWord = false;
    variable = false;
    return {};
  };
  auto endStage = [&]() -> std::string {
    if (stage.empty()) return "empty stage";
    FinishStage(stage);
    parse.stages.push_back(std::move(stage));
    stage.clear();
    return {};
  };

  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    std::string problem;
    if (IsBlank(c)) {
      problem = endWord();
    } else if (c == '|') {
      problem = endWord();
      if (problem.empty()) problem = endStage();
    } else if (c == '\'') {
      const std::size_t close = line.find('\'', i + 1);
      if (close == std::string_view::npos) return Failure("unterminated single quote");
      word.append(line.substr(i + 1, close - i - 1));
      inWord = true;
      i = close;
    } else if (c == '"') {
      inWord = true;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '$' || line[i] == '`') return Failure("substitution inside quotes");
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        word += line[i];
      }
      if (i >= line.size()) return Failure("unterminated double quote");
    } else if (c == '\\') {
      if (i + 1 < line.size()) word += line[++i];
      inWord = true;
    } else if (c == '$') {
      if (inWord || i + 1 >= line.size() || line[i + 1] < '0' || line[i + 1] > '9' ||
          (i + 2 < line.size() && !IsBlank(line[i + 2]) && line[i + 2] != '|')) {
        return Failure("unsupported use of $");
      }
      word = line.substr(i, 2);
      inWord = true;
      variable = true;
      ++i;
    } else if (c == ';' || c == '&' || c == '<' || c == '>' || c == '`' || c == '(' ||
               c == ')') {
      return Failure(std::string("unsupported shell character ") + c);
    } else {
      if (variable) return Failure("unsupported use of $");
      word += c;
      inWord = true;
    }
    if (!problem.empty()) return Failure(problem);
  }
  if (std::string problem = endWord(); !problem.empty()) return Failure(problem);
  if (std::string problem = endStage(); !problem.empty()) return Failure(problem);
  return parse;
}

ModeParse LoadModePipeline(std::string_view directory, const std::vector<std::string>& names) {
  std::string tried;
  for (const std::string& name : names) {
    const std::string path = std::string(directory) + "/" + name + ".mode";
    std::ifstream file(path);
    if (!file) {
      tried += (tried.empty() ? "" : ", ") + path;
      continue;
    }
    std::ostringstream text;
    text << file.rdbuf();
    ModeParse parse = ParseModePipeline(text.str());
    if (!parse.error.empty()) parse.error = path + ": " + parse.error;
    return parse;
  }
  return Failure("no Apertium mode file found (tried " + tried + ")");
}

}  // namespace vokabino
