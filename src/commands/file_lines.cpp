#include "commands/file_lines.h"

#include "engine/text_cleaning.h"

namespace velsetup {

bool EndsWithBackslash(std::string_view text) { return !text.empty() && text.back() == '\\'; }

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!EndsWithBackslash(path)) path += '\\';
  path += name;
  return path;
}

std::string_view FileNameOf(std::string_view path) {
  const size_t backslash = path.rfind('\\');
  return backslash == std::string_view::npos ? path : path.substr(backslash + 1);
}

}  // namespace velsetup
