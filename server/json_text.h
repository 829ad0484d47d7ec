#pragma once
// The little JSON the upstream service needs: writing a string, and reading one
// string member of a top-level object. Strings are UTF-8; nothing here fails
// beyond the nullopt documented.
#include <optional>
#include <string>
#include <string_view>

namespace vokabino {

// utf8 as a JSON string literal, quotes included: '"' and '\' are escaped,
// control characters are written as \n, \r, \t or \u00XX; other bytes as they are.
std::string JsonStringLiteral(std::string_view utf8);

// The value of member key of the top-level object in json, when that value is a
// string, decoded to UTF-8 (\uXXXX escapes included, surrogate pairs joined; a
// lone surrogate becomes U+FFFD). nullopt when json is not an object, is
// malformed before the member is found, lacks the member or the member is not a
// string. Members nested in inner objects are not looked at.
std::optional<std::string> JsonStringMember(std::string_view json, std::string_view key);

}  // namespace vokabino
