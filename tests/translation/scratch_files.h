#pragma once
// A private folder per test for the scratch file, removed with its contents.
#include <filesystem>
#include <optional>
#include <string>

namespace vokabino::testing_support {

struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string PathOf(const std::string& name) const { return (folder / name).string(); }

  std::filesystem::path folder;
};

// The whole content of a file, or nothing when it does not exist.
std::optional<std::string> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace vokabino::testing_support
