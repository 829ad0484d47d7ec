#pragma once
// The file requester's pattern: names and file patterns alternating, split at
// "|", each pattern list split at ";" ("Avi|*.avi;*.mpg|All Files|*.*").
#include <string>
#include <vector>

#include "text/text.h"

namespace vokabino {

struct FileFilter {
  Text name;
  std::vector<Text> patterns;  // "*.*" stands for every file, as "*"
};

// A trailing name without patterns gets "*". Empty pattern: no filters.
std::vector<FileFilter> ParseRequesterPattern(const Text& pattern);

}  // namespace vokabino
