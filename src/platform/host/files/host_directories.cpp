// The directory calls of the simulated machine: creating, removing and
// listing directories as the NT family does.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "platform/host/files/dos_wildcard.h"
#include "platform/host/posix/errno_mapping.h"
#include "platform/host/files/host_files.h"

namespace velsetup::host {

namespace {

// CreateDirectoryA keeps room for an 8.3 name below the new directory.
constexpr size_t kMaxNewDirectoryPath = 248;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A host name that no Windows path can reach: the listing leaves it out, as
// it could not be opened, copied or deleted through the name it shows.
bool IsWindowsName(const std::string& name) {
  if (name.empty() || name.size() > kMaxComponent) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
  }
  // Windows drops trailing dots and blanks from every name it is given.
  return name.back() != '.' && name.back() != ' ';
}

std::string HostParent(const std::string& host_path) {
  const size_t slash = host_path.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return host_path.substr(0, slash);
}

std::string HostBaseName(const std::string& host_path) {
  const size_t slash = host_path.rfind('/');
  return slash == std::string::npos ? host_path : host_path.substr(slash + 1);
}

// NTFS keeps names in the order of their upper-case forms.
bool NtfsOrder(const FindData& a, const FindData& b) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  return std::lexicographical_compare(
      a.file_name.begin(), a.file_name.end(), b.file_name.begin(), b.file_name.end(),
      [&](char x, char y) {
        return static_cast<unsigned char>(upper(x)) < static_cast<unsigned char>(upper(y));
      });
}

// The names in a host directory, simulation files included.
uint32_t ReadHostDirectory(const std::string& host_dir, std::vector<std::string>* names) {
  DIR* dir = ::opendir(host_dir.c_str());
  if (dir == nullptr) return Win32ErrorFromErrno(errno);
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  const uint32_t error = Win32ErrorFromErrno(errno);
  ::closedir(dir);
  return error;
}

}  // namespace

std::vector<FindData> HostFiles::ListDirectory(const ResolvedPath& directory) {
  std::vector<FindData> entries;
  if (!directory.windows.components.empty()) {
    FindData self, parent;
    self.file_name = ".";
    self.attributes = attributes_.Reported(directory.host_path, true);
    parent.file_name = "..";
    parent.attributes = attributes_.Reported(HostParent(directory.host_path), true);
    entries.push_back(self);
    entries.push_back(parent);
  }
  std::vector<std::string> names;
  ReadHostDirectory(directory.host_path, &names);
  // The entries whose sidecar the listing shows; no other has one to open.
  std::unordered_set<std::string> with_sidecar;
  std::string owner;
  for (const std::string& name : names) {
    if (DosAttributes::IsSidecarName(name, &owner)) with_sidecar.insert(owner);
  }
  std::vector<FindData> found;
  for (const std::string& name : names) {
    if (DosAttributes::IsSimulationFile(name) || !IsWindowsName(name)) continue;
    const std::string host_path = JoinHostPath(directory.host_path, name);
    struct stat info;
    if (::stat(host_path.c_str(), &info) != 0) continue;  // a dangling link
    FindData data;
    data.file_name = name;
    const bool is_directory = S_ISDIR(info.st_mode);
    data.attributes =
        attributes_.Reported(host_path, is_directory, with_sidecar.count(name) != 0);
    data.size = is_directory ? 0 : static_cast<uint64_t>(info.st_size);
    found.push_back(std::move(data));
  }
  std::sort(found.begin(), found.end(), NtfsOrder);
  entries.insert(entries.end(), found.begin(), found.end());
  return entries;
}

FindHandle HostFiles::StartSearch(std::vector<FindData> entries, FindData* data) {
  if (entries.empty()) {
    Fail(win32_error::kFileNotFound);
    return kInvalidFind;
  }
  *data = entries.front();
  const FindHandle handle = next_search_++;
  searches_[handle] = Search{std::move(entries), 1};
  return handle;
}

FindHandle HostFiles::FindFirstFileA(const char* pattern, FindData* data) {
  if (pattern == nullptr) {
    Fail(win32_error::kPathNotFound);
    return kInvalidFind;
  }
  const std::string text = pattern;
  ResolvedPath resolved;
  if (!text.empty() && IsSeparator(text.back())) {
    // A path ending in a separator names no entry: a drive's root ("C:\")
    // and an existing directory fail with 2, a missing one with 3.
    if (!ResolveArgument(pattern, &resolved)) return kInvalidFind;
    Fail(resolved.exists ? win32_error::kFileNotFound : win32_error::kPathNotFound);
    return kInvalidFind;
  }
  size_t split = text.find_last_of("\\/");
  if (split == std::string::npos && text.size() >= 2 && text[1] == ':') split = 1;
  const std::string name = split == std::string::npos ? text : text.substr(split + 1);

  if (!HasWildcard(name)) {
    if (!ResolveArgument(pattern, &resolved)) return kInvalidFind;
    if (!resolved.exists || resolved.windows.components.empty()) {
      Fail(win32_error::kFileNotFound);
      return kInvalidFind;
    }
    struct stat info;
    FindData entry;
    entry.file_name = HostBaseName(resolved.host_path);
    entry.attributes = attributes_.Reported(resolved.host_path, resolved.is_directory);
    if (!resolved.is_directory && ::stat(resolved.host_path.c_str(), &info) == 0) {
      entry.size = static_cast<uint64_t>(info.st_size);
    }
    return StartSearch({entry}, data);
  }

  const std::string directory_text =
      split == std::string::npos ? std::string(".") : text.substr(0, split + 1);
  if (!ResolveArgument(directory_text.c_str(), &resolved)) return kInvalidFind;
  if (!resolved.exists || !resolved.is_directory) {
    Fail(win32_error::kPathNotFound);
    return kInvalidFind;
  }
  std::vector<FindData> entries = ListDirectory(resolved);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const FindData& entry) {
                                 return !MatchesDosPattern(name, entry.file_name);
                               }),
                entries.end());
  return StartSearch(std::move(entries), data);
}

bool HostFiles::FindNextFileA(FindHandle search, FindData* data) {
  const auto found = searches_.find(search);
  if (found == searches_.end()) return Fail(win32_error::kInvalidHandle);
  Search& state = found->second;
  if (state.next >= state.entries.size()) return Fail(win32_error::kNoMoreFiles);
  *data = state.entries[state.next++];
  return true;
}

bool HostFiles::FindClose(FindHandle search) {
  if (searches_.erase(search) == 0) return Fail(win32_error::kInvalidHandle);
  return true;
}

bool HostFiles::CreateDirectoryA(const char* path) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (resolved.windows.components.empty()) return Fail(win32_error::kAccessDenied);
  if (resolved.exists) return Fail(win32_error::kAlreadyExists);
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  if (resolved.windows.Text().size() > kMaxNewDirectoryPath) {
    return Fail(win32_error::kFilenameTooLong);
  }
  if (::mkdir(resolved.host_path.c_str(), 0777) != 0) {
    return Fail(errno == EEXIST ? win32_error::kAlreadyExists : Win32ErrorFromErrno(errno));
  }
  // A name used before may still have a sidecar from a deleted file.
  attributes_.Forget(resolved.host_path);
  return true;
}

bool HostFiles::RemoveDirectoryA(const char* path) {
  ResolvedPath resolved;
  if (!ResolveArgument(path, &resolved)) return false;
  if (!resolved.exists) return Fail(win32_error::kFileNotFound);
  if (!resolved.is_directory) return Fail(win32_error::kDirectory);
  if (resolved.windows.components.empty()) return Fail(win32_error::kAccessDenied);
  if (!resolved.writable) return Fail(win32_error::kWriteProtect);
  if (attributes_.IsReadOnly(resolved.host_path)) return Fail(win32_error::kAccessDenied);
  std::vector<std::string> names;
  const uint32_t unread = ReadHostDirectory(resolved.host_path, &names);
  if (unread != win32_error::kSuccess) return Fail(unread);
  for (const std::string& name : names) {
    if (!DosAttributes::IsSimulationFile(name)) return Fail(win32_error::kDirNotEmpty);
  }
  // What is left is the simulation's own: sidecars of files that are gone
  // and copies a killed process left unfinished.
  for (const std::string& name : names) {
    ::unlink(JoinHostPath(resolved.host_path, name).c_str());
  }
  if (::rmdir(resolved.host_path.c_str()) != 0) {
    return Fail(errno == ENOTEMPTY || errno == EEXIST ? win32_error::kDirNotEmpty
                                                       : Win32ErrorFromErrno(errno));
  }
  attributes_.Forget(resolved.host_path);
  return true;
}

}  // namespace velsetup::host
