#include "platform/host/files/windows_path.h"

#include "platform/platform.h"

namespace velsetup::host {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsForbiddenInName(unsigned char c) {
  if (c < 0x20) return true;
  switch (c) {
    case '<': case '>': case ':': case '"': case '|': case '?': case '*':
      return true;
    default:
      return false;
  }
}

// Windows drops trailing dots and blanks of a component ("dir." is "dir"); a
// component made of nothing else ("...") then names the directory it is in.
std::string StripTrailingDotsAndBlanks(const std::string& name) {
  size_t end = name.size();
  while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
  return name.substr(0, end);
}

uint32_t AppendComponents(const std::string& text, size_t from, WindowsPath* path) {
  size_t start = from;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !IsSeparator(text[end])) ++end;
    const std::string raw = text.substr(start, end - start);
    start = end + 1;
    if (raw.empty() || raw == ".") continue;
    if (raw == "..") {
      // As on Windows, ".." at a drive's root stays at the root.
      if (!path->components.empty()) path->components.pop_back();
      continue;
    }
    for (unsigned char c : raw) {
      if (IsForbiddenInName(c)) return win32_error::kInvalidName;
    }
    std::string name = StripTrailingDotsAndBlanks(raw);
    if (name.empty()) continue;
    if (name.size() > kMaxComponent) return win32_error::kFilenameTooLong;
    path->components.push_back(std::move(name));
  }
  return win32_error::kSuccess;
}

}  // namespace

std::string WindowsPath::Text() const {
  std::string text(1, drive);
  text += ":\\";
  for (size_t i = 0; i < components.size(); ++i) {
    if (i > 0) text += '\\';
    text += components[i];
  }
  return text;
}

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsCaseBlind(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

uint32_t ParseWindowsPath(const std::string& path, const WindowsPath& current_directory,
                          WindowsPath* full) {
  if (path.empty()) return win32_error::kPathNotFound;
  // The A calls convert the text into a buffer of MAX_PATH characters first;
  // a longer text never reaches the file system.
  if (path.size() > kMaxWindowsPath) return win32_error::kFilenameTooLong;

  WindowsPath result;
  size_t rest = 0;
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    result.drive = FoldCase(path[0]);
    if (path.size() > 2 && IsSeparator(path[2])) {
      rest = 3;
    } else {
      // "C:name" is relative to the current directory when that is on C:,
      // to the root of C: otherwise (the process keeps one current directory).
      if (current_directory.drive == result.drive) result = current_directory;
      rest = 2;
    }
  } else if (IsSeparator(path[0])) {
    // "\\server\share", "\\?\..." and "\\.\device": no such thing here.
    if (path.size() > 1 && IsSeparator(path[1])) return win32_error::kPathNotFound;
    result.drive = current_directory.drive;
    rest = 1;
  } else {
    result = current_directory;
  }
  const uint32_t error = AppendComponents(path, rest, &result);
  if (error != win32_error::kSuccess) return error;
  if (result.Text().size() > kMaxWindowsPath) return win32_error::kFilenameTooLong;
  *full = std::move(result);
  return win32_error::kSuccess;
}

bool ParseAbsoluteWindowsPath(const std::string& path, WindowsPath* full) {
  if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || !IsSeparator(path[2])) {
    return false;
  }
  return ParseWindowsPath(path, WindowsPath{}, full) == win32_error::kSuccess;
}

}  // namespace velsetup::host
