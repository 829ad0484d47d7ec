#pragma once
// Apertium's mode files: one line of shell pipeline per translation direction,
// such as "lt-proc 'x.automorf.bin' | apertium-tagger -g $2 'x.prob' | ...".
// The service runs the stages itself (no shell), so the line is read here into
// one argument vector per stage. Pure functions except LoadModePipeline, which
// reads a file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vokabino {

// Program name first, then its arguments, as execvp takes them.
using StageCommand = std::vector<std::string>;

struct ModeParse {
  std::vector<StageCommand> stages;  // empty when error is set
  std::string error;                 // one line; empty on success
};

// Reads a mode line. Words are split at blanks; '...' and "..." quote (a
// backslash escapes the next character outside single quotes); "|" separates
// stages. "$1", the generator's marking option, becomes "-n" so unknown words come
// out without "*", "#" or "@" marks; "$2", the tagger's optional option, is
// dropped. Each stage gets "-z" (flush at every NUL) as its first argument unless
// it already has it. Any other "$", redirection, ";", "&", a backquote or an
// empty stage is an error: the line is not a plain pipeline.
ModeParse ParseModePipeline(std::string_view modeLine);

// Where Debian installs the mode files.
inline constexpr std::string_view kApertiumModeDirectory = "/usr/share/apertium/modes";

// Reads and parses "<directory>/<name>.mode" for the first name in names whose
// file exists (language pairs have been renamed over releases: "es-fr" and
// "spa-fra" are the same direction). The error names every file tried.
ModeParse LoadModePipeline(std::string_view directory, const std::vector<std::string>& names);

}  // namespace vokabino
