#include "platform/host/files/drive_access.h"

#include <climits>
#include <cstdlib>

#include "platform/host/files/path_mapper.h"

namespace velsetup::host {

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool ParseDriveAccess(const std::string& text, DriveAccess* access) {
  const std::string word = Lowered(text);
  if (word == "writable") {
    *access = DriveAccess::kWritable;
  } else if (word == "read-only" || word == "readonly") {
    *access = DriveAccess::kReadOnly;
  } else {
    return false;
  }
  return true;
}

std::string RealPathAllowingMissing(const std::string& host_path) {
  std::string existing = LexicallyNormalHostPath(host_path);
  std::string rest;
  for (;;) {
    if (char* real = ::realpath(existing.c_str(), nullptr)) {
      std::string result = real;
      std::free(real);
      return rest.empty() ? result : JoinHostPath(result, rest);
    }
    if (existing == "/") return LexicallyNormalHostPath(host_path);
    const size_t slash = existing.rfind('/');
    const std::string name = existing.substr(slash + 1);
    rest = rest.empty() ? name : name + "/" + rest;
    existing = slash == 0 ? "/" : existing.substr(0, slash);
  }
}

bool LiesInside(const std::string& host_path, const std::string& directory) {
  const std::string path = RealPathAllowingMissing(host_path);
  const std::string root = RealPathAllowingMissing(directory);
  if (root == "/") return true;
  return path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

bool DriveIsWritable(const std::string& host_root, const std::string& machine_dir,
                     DriveAccess access) {
  switch (access) {
    case DriveAccess::kWritable: return true;
    case DriveAccess::kReadOnly: return false;
    case DriveAccess::kDefault: break;
  }
  return LiesInside(host_root, machine_dir);
}

}  // namespace velsetup::host
