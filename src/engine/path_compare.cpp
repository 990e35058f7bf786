#include "engine/path_compare.h"

#include <vector>

namespace velsetup {

std::string NormalizedWindowsPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  auto close_part = [&]() {
    if (part == "..") {
      // Never above the first component (the drive or the share).
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (c == '\\' || c == '/') {
      close_part();
    } else {
      part += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  close_part();
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

bool SameWindowsPath(std::string_view a, std::string_view b) {
  return NormalizedWindowsPath(a) == NormalizedWindowsPath(b);
}

}  // namespace velsetup
