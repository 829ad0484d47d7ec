#pragma once
// The SubRip reader. It relies on a few fixed conventions of the format rather
// than a full grammar: a line of digits starts a Cue, the line after it is the
// timing line, every other non-blank line is text.
//
// Lines end at CR LF, LF alone or CR alone; the last line counts with or without
// a line end. Before anything else each line loses every "<i>", "</i>", "<b>"
// and "</b>" (in that order, case-sensitive; no other markup is touched). Then:
// - an empty line, or a blank one (only spaces, tabs, vertical tabs or form
//   feeds), is skipped;
// - a line that is digits once its spaces are trimmed starts a new Cue with that
//   number as index (low 32 bits); the next line, whatever it holds (nothing
//   when there is none), is its timing line: start is the part before " -", end
//   the part after "> ", each read with ParseCueTime;
// - any other line is a text line of the current Cue, joined to the earlier ones
//   with one space, stored only when the language is exactly "EN". Text lines
//   before the first number line have no Cue and are dropped.
// Any bytes at all load without failing; the cost grows linearly with the file.
#include <string_view>

#include "subtitles/cue_list.h"
#include "text/text.h"

namespace vokabino {

// Reads the SubRip file at path (encoding by byte-order mark or content, see
// text/text_file.h) and appends its Cues after the current Cue, then leaves the
// cursor on the first Cue of the list. Called once, on the GUI thread, with the
// list still empty. A missing or unreadable file leaves the list as it was, with
// the cursor on its first Cue; nothing is reported.
void LoadSubtitles(CueList& list, const Text& path, const Text& language);

// The same rules over a Text already in memory (Windows-1252).
void LoadSubtitlesFromText(CueList& list, std::string_view text, const Text& language);

// A SubRip time such as "00:01:02,500" in MediaTime ticks (100 ns). The fields
// are positional: hours, minutes and seconds are the first three ":"-fields and
// the milliseconds the digits after the first ","; each is read with
// IntegerValue, so a missing field is 0 ("01:02,500" is 1 h 2 min 500 ms, a dot
// in place of the comma leaves the milliseconds at 0). Computed in double, so
// any numbers give a finite whole value.
double ParseCueTime(std::string_view time);

// True when the text, once its spaces are trimmed, holds only the digits 0 to 9
// (also when nothing is left).
bool IsAllDigits(std::string_view text);

}  // namespace vokabino
