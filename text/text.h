#pragma once
// Text: the system's string type. Bytes are Windows-1252 characters; a Text never
// holds a zero byte. Positions count from 1, lengths in bytes. All comparisons are
// byte for byte and case-sensitive, with no regard to locale.
//
// Every operation returns a new value and changes nothing. None of them fails:
// out-of-range positions, counts and field numbers give the empty Text or 0.
#include <cstdint>
#include <string>
#include <string_view>

namespace vokabino {

using Text = std::string;

// Number of bytes; 0 for the empty Text.
std::int64_t TextLength(const Text& text);
// True when both hold the same bytes.
bool TextEquals(const Text& a, const Text& b);
// Removes leading and trailing byte-32 spaces only; tabs, CR and LF stay.
// A Text of spaces gives the empty Text.
Text TrimSpaces(const Text& text);
// Up to count bytes from position start (1-based; start <= 1 means the first
// byte). A negative count means 0; a start past the end gives the empty Text.
Text MidText(const Text& text, std::int64_t start, std::int64_t count);
// 1-based position of the first occurrence; 0 when absent or either side is empty.
std::int64_t FindText(const Text& text, const Text& pattern);
// Non-overlapping, left to right ('aaa' holds 'aa' once); 0 when either side is
// empty.
std::int64_t CountOccurrences(const Text& text, const Text& pattern);
// Every occurrence removed in a single left-to-right pass: text that a removal
// joins together is not searched again ('<<i>i>' less '<i>' is '<i>'). An empty
// pattern leaves the text unchanged.
Text RemoveAll(const Text& text, const Text& pattern);
// Field number index (from 1) of text cut at every non-overlapping occurrence of
// separator, left to right. k occurrences make k + 1 fields; an index below 1 or
// past the last field gives the empty Text. An empty separator never matches:
// field 1 is the whole text, every other field is empty.
// Cost grows with the position of the field, not with the index alone.
Text SplitField(const Text& text, std::int64_t index, const Text& separator);
// The same as TrimSpaces and SplitField, as a view into text (no copy); valid
// as long as text's bytes are.
std::string_view TrimSpacesView(std::string_view text);
std::string_view SplitFieldView(std::string_view text, std::int64_t index,
                                std::string_view separator);
// Reads a number from the start of text: leading spaces and tabs are skipped, an
// optional "-" or "+" follows, then "$" hexadecimal, "%" binary or decimal
// digits up to the first byte that is not a digit of that base. No digits give
// 0. The 64-bit accumulator wraps around silently (two's complement), so any
// input gives a defined value.
std::int64_t IntegerValue(std::string_view text);

}  // namespace vokabino
