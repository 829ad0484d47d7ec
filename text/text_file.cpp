#include "text/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "text/codepage.h"

namespace vokabino {
namespace {

// Reads from fd until at least want bytes are in buffer or the file ends.
void ReadAtLeast(int fd, std::string& buffer, std::size_t want) {
  while (buffer.size() < want) {
    char chunk[64];
    const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, want - buffer.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    buffer.append(chunk, static_cast<std::size_t>(n));
  }
}

// Appends the rest of the file to buffer, in as few reads as the file allows.
void ReadToEnd(int fd, std::string& buffer) {
  std::size_t used = buffer.size();
  std::size_t expected = 0;
  struct stat info {};
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  if (::fstat(fd, &info) == 0 && position >= 0 && info.st_size > position) {
    expected = static_cast<std::size_t>(info.st_size - position);
  }
  // One spare byte lets the end of the file show without another resize.
  buffer.resize(used + expected + 1);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data() + used, buffer.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += static_cast<std::size_t>(n);
    if (used == buffer.size()) buffer.resize(used + used / 2 + 4096);  // the file grew
  }
  buffer.resize(used);
}

std::string TakeRest(TextFileHandle& file) {
  std::string bytes = std::move(file.pending);
  file.pending.clear();
  ReadToEnd(file.fd, bytes);
  return bytes;
}

// Cuts the bytes at the first zero unit of the given width; a partial last unit
// stays for the converter to drop.
void CutAtZeroUnit(std::string& bytes, std::size_t width) {
  if (width == 1) {
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string::npos) bytes.resize(zero);
    return;
  }
  for (std::size_t at = 0; at + width <= bytes.size(); at += width) {
    bool zero = true;
    for (std::size_t i = 0; i < width; ++i) zero = zero && bytes[at + i] == '\0';
    if (zero) {
      bytes.resize(at);
      return;
    }
  }
}

bool StartsWith(const std::string& bytes, std::string_view mark) {
  return bytes.size() >= mark.size() && std::memcmp(bytes.data(), mark.data(), mark.size()) == 0;
}

}  // namespace

TextFileHandle::~TextFileHandle() {
  if (fd >= 0) ::close(fd);
}

TextFile OpenTextFile(const Text& path) {
  const std::string name = Cp1252ToUtf8(path);
  if (name.empty()) return nullptr;
  // O_NONBLOCK keeps open() from waiting on a pipe; such files are refused below.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  auto file = std::make_unique<TextFileHandle>();
  file->fd = fd;
  return file;
}

TextFormat DetectTextFormat(TextFileHandle* file) {
  if (file == nullptr) return TextFormat::EightBit;
  ReadAtLeast(file->fd, file->pending, 4);
  std::string& head = file->pending;
  struct Mark {
    std::string_view bytes;
    TextFormat format;
  };
  static constexpr Mark kMarks[] = {
      {std::string_view("\xFF\xFE", 2), TextFormat::Utf16LE},
      {std::string_view("\xEF\xBB\xBF", 3), TextFormat::Utf8},
      {std::string_view("\xFE\xFF", 2), TextFormat::Utf16BE},
      {std::string_view("\x00\x00\xFE\xFF", 4), TextFormat::Utf32BE},
  };
  for (const Mark& mark : kMarks) {
    if (StartsWith(head, mark.bytes)) {
      head.erase(0, mark.bytes.size());
      return mark.format;
    }
  }
  // No mark: the bytes themselves decide, so read them all ahead; ReadWholeText
  // takes them from the handle.
  ReadToEnd(file->fd, head);
  const std::size_t zero = head.find('\0');
  const std::string_view text(head.data(), zero == std::string::npos ? head.size() : zero);
  return LooksLikeUtf8(text) ? TextFormat::Utf8 : TextFormat::EightBit;
}

Text ReadWholeText(TextFileHandle* file, TextFormat format) {
  if (file == nullptr) return Text();
  std::string bytes = TakeRest(*file);
  switch (format) {
    case TextFormat::EightBit:
      CutAtZeroUnit(bytes, 1);
      break;
    case TextFormat::Utf8:
      CutAtZeroUnit(bytes, 1);
      ConvertUtf8InPlace(bytes);
      break;
    case TextFormat::Utf16LE:
    case TextFormat::Utf16BE:
      CutAtZeroUnit(bytes, 2);
      ConvertUtf16InPlace(bytes, format == TextFormat::Utf16LE ? ByteOrder::LittleEndian
                                                               : ByteOrder::BigEndian);
      break;
    case TextFormat::Utf32BE:
      CutAtZeroUnit(bytes, 4);
      ConvertUtf32InPlace(bytes, ByteOrder::BigEndian);
      break;
  }
  return bytes;
}

void CloseTextFile(TextFile& file) { file.reset(); }

}  // namespace vokabino
