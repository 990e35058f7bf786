#include "platform/host/files/path_mapper.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "platform/platform.h"

namespace velsetup::host {

namespace {

std::string RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result = resolved;
  std::free(resolved);
  return result;
}

// True when `path` is `root` or lies below it.
bool IsAtOrBelow(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

}  // namespace

std::string LexicallyNormalHostPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string normal;
  for (const std::string& part : parts) normal += "/" + part;
  return normal.empty() ? "/" : normal;
}

std::string JoinHostPath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

PathMapper::PathMapper(std::vector<DriveMapping> drives, WindowsPath current_directory)
    : drives_(std::move(drives)), current_directory_(std::move(current_directory)) {
  for (DriveMapping& drive : drives_) {
    drive.host_root = LexicallyNormalHostPath(drive.host_root);
    const std::string real = RealPath(drive.host_root);
    real_roots_.push_back(real.empty() ? drive.host_root : real);
  }
}

const DriveMapping* PathMapper::DriveOf(char letter) const {
  for (const DriveMapping& drive : drives_) {
    if (drive.letter == letter) return &drive;
  }
  return nullptr;
}

const DriveMapping* PathMapper::DriveHolding(const std::string& real_path) const {
  const DriveMapping* best = nullptr;
  size_t best_length = 0;
  for (size_t i = 0; i < drives_.size(); ++i) {
    const std::string& root = real_roots_[i];
    if (!IsAtOrBelow(real_path, root)) continue;
    const bool closer = best == nullptr || root.size() > best_length;
    // Of two drives on one directory, the read-only one decides.
    const bool stricter = best != nullptr && root.size() == best_length && best->writable &&
                          !drives_[i].writable;
    if (!closer && !stricter) continue;
    best = &drives_[i];
    best_length = root.size();
  }
  return best;
}

uint32_t PathMapper::Resolve(const std::string& windows_path, ResolvedPath* resolved) {
  ResolvedPath result;
  const uint32_t parse_error = ParseWindowsPath(windows_path, current_directory_, &result.windows);
  if (parse_error != win32_error::kSuccess) return parse_error;
  const DriveMapping* drive = DriveOf(result.windows.drive);
  if (drive == nullptr) return win32_error::kPathNotFound;

  std::string host = drive->host_root;
  bool writable = drive->writable;
  const std::vector<std::string>& components = result.windows.components;
  struct stat info;
  // The drive's directory is looked at by itself only when the path names
  // it or its first entry is not found: an entry found below it proves it
  // is there, one stat fewer for every path a run resolves.
  bool present = true;
  if (components.empty()) present = ::stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  for (size_t i = 0; i < components.size(); ++i) {
    const bool last = i + 1 == components.size();
    std::string candidate = JoinHostPath(host, components[i]);
    struct stat entry;
    bool found = ::lstat(candidate.c_str(), &entry) == 0;
    if (!found && i == 0) {
      struct stat root;
      if (::stat(host.c_str(), &root) != 0 || !S_ISDIR(root.st_mode)) {
        return win32_error::kPathNotFound;
      }
    }
    if (!found) {
      if (auto name = lookup_.Find(host, components[i])) {
        candidate = JoinHostPath(host, *name);
        found = ::lstat(candidate.c_str(), &entry) == 0;
      }
    }
    host = candidate;
    if (!found) {
      if (!last) return win32_error::kPathNotFound;
      present = false;
      break;
    }
    if (S_ISLNK(entry.st_mode)) {
      const std::string target = RealPath(host);
      // A dangling link is a missing entry; one that leads out is refused.
      if (target.empty() || ::stat(host.c_str(), &entry) != 0) {
        if (!last) return win32_error::kPathNotFound;
        present = false;
        break;
      }
      const DriveMapping* holder = DriveHolding(target);
      if (holder == nullptr) return win32_error::kAccessDenied;
      writable = holder->writable;
    }
    if (!last && !S_ISDIR(entry.st_mode)) return win32_error::kPathNotFound;
    info = entry;
  }
  result.host_path = host;
  result.exists = present;
  result.is_directory = present && S_ISDIR(info.st_mode);
  result.writable = writable;
  *resolved = std::move(result);
  return win32_error::kSuccess;
}

std::optional<std::string> PathMapper::WindowsPathOf(const std::string& host_absolute_path) const {
  if (host_absolute_path.empty() || host_absolute_path[0] != '/') return std::nullopt;
  const std::string path = LexicallyNormalHostPath(host_absolute_path);
  const DriveMapping* best = nullptr;
  size_t best_length = 0;
  std::string best_rest;
  for (size_t i = 0; i < drives_.size(); ++i) {
    // A drive is matched by its directory as written and as the links resolve,
    // so that a path given either way finds it.
    for (const std::string* root : {&drives_[i].host_root, &real_roots_[i]}) {
      if (!IsAtOrBelow(path, *root)) continue;
      if (best != nullptr && root->size() <= best_length) continue;
      best = &drives_[i];
      best_length = root->size();
      best_rest = *root == "/" ? path.substr(1) : path.substr(root->size());
    }
  }
  if (best == nullptr) return std::nullopt;
  std::string windows(1, best->letter);
  windows += ":\\";
  size_t start = best_rest.empty() || best_rest[0] != '/' ? 0 : 1;
  for (size_t i = start; i < best_rest.size(); ++i) {
    const char c = best_rest[i];
    if (c == '\\') return std::nullopt;  // a host name Windows could not spell
    windows += c == '/' ? '\\' : c;
  }
  return windows;
}

}  // namespace velsetup::host
