#include "platform/host/files/dos_wildcard.h"

#include "platform/host/files/windows_path.h"

namespace velsetup::host {

namespace {

// Iterative glob with one backtrack point per "*": linear in practice and
// never recursive, whatever the pattern.
bool Glob(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

bool MatchesDosPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (Glob(pattern, name)) return true;
  if (name.find('.') != std::string_view::npos) return false;
  if (EndsWith(pattern, ".*")) return Glob(pattern.substr(0, pattern.size() - 2), name);
  if (EndsWith(pattern, ".")) return Glob(pattern.substr(0, pattern.size() - 1), name);
  return false;
}

}  // namespace velsetup::host
