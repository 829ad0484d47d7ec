#pragma once
// Reading whole text files into Text. A missing or unreadable file is not an
// error here: OpenTextFile gives no handle, and the readers accept a null handle
// and then give EightBit and the empty Text. Nothing here reports or throws.
//
// Calling order for a file of unknown encoding: OpenTextFile, DetectTextFormat,
// ReadWholeText with the detected format, CloseTextFile. For a file whose
// encoding is known: OpenTextFile, ReadWholeText with that format, CloseTextFile
// (a byte-order mark is then read as a character: a UTF-8 mark read as Utf8
// becomes one '?').
#include <memory>
#include <string>

#include "text/text.h"

namespace vokabino {

// Utf32BE is recognised by its mark and decoded like the others. A UTF-32
// little-endian mark (FF FE 00 00) begins with the UTF-16 LE mark and is taken
// as Utf16LE.
enum class TextFormat { EightBit, Utf8, Utf16LE, Utf16BE, Utf32BE };

// An open file and its read position. Owned through TextFile; the file closes
// with CloseTextFile or when the TextFile is destroyed. Not shared between
// threads.
struct TextFileHandle {
  int fd = -1;
  // Bytes already read from fd that come next in the text (read ahead by
  // DetectTextFormat); the logical read position is at pending's first byte.
  std::string pending;

  TextFileHandle() = default;
  TextFileHandle(const TextFileHandle&) = delete;
  TextFileHandle& operator=(const TextFileHandle&) = delete;
  ~TextFileHandle();
};
using TextFile = std::unique_ptr<TextFileHandle>;

// path is a Text (Windows-1252); it is converted to UTF-8 for the file system.
// Returns null when the file does not exist, is not a regular file (a directory,
// a device, a pipe) or cannot be opened for reading.
TextFile OpenTextFile(const Text& path);

// Decides the encoding of the text at the read position. A byte-order mark
// decides first and is skipped: FF FE Utf16LE, EF BB BF Utf8, FE FF Utf16BE,
// 00 00 FE FF Utf32BE. With no mark the position stays, and the text (up to its
// first zero byte) is Utf8 when it is valid UTF-8 holding at least one non-ASCII
// byte, EightBit otherwise. A null handle gives EightBit. May read the rest of the
// file ahead into the handle.
TextFormat DetectTextFormat(TextFileHandle* file);

// Everything from the read position to the end of the file, converted to
// Windows-1252 (see text/codepage.h): EightBit bytes are taken as they are; Utf8,
// Utf16LE/BE and Utf32BE text becomes the code page's character wherever it has
// one and '?' elsewhere. The text ends early at the first zero byte (zero unit for
// UTF-16 and UTF-32), which is not part of it; a last unit cut short is dropped.
// Line ends are kept as they are. A read error ends the text like the end of the
// file. A null handle gives the empty Text. Peak memory is one buffer of the
// file's size.
Text ReadWholeText(TextFileHandle* file, TextFormat format);

// Closes the file and empties the handle; harmless on a null handle.
void CloseTextFile(TextFile& file);

}  // namespace vokabino
