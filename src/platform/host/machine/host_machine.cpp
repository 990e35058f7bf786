#include "platform/host/machine/host_machine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/host/files/drive_access.h"
#include "platform/host/machine/installation_layout.h"
#include "platform/host/files/path_mapper.h"
#include "platform/host/machine/system_messages.h"
#include "platform/host/posix/errno_mapping.h"
#include "platform/host/posix/posix_io.h"
#include "platform/host/registry/registry_defaults.h"

namespace velsetup::host {

namespace {

constexpr size_t kCmosSize = 128;

// A failure as the operator reads it: the system's text for the Win32 code.
std::string Describe(const std::string& what, uint32_t error) {
  std::string text = SystemMessageText(error) != nullptr ? SystemMessageText(error) : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) text = "error " + std::to_string(error);
  return what + ": " + text;
}

// Writes `content` to `path` unless it exists. The text goes under a private
// name first and is linked into place, which fails when another process was
// quicker: then its file stands, and it is as complete as this one.
bool CreateFileOnce(const std::string& path, const std::string& content, std::string* error) {
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0) return true;
  const std::string temporary = path + ":" + std::to_string(::getpid()) + ".new";
  const uint32_t failure =
      posix::WriteThenPlace(temporary, path, content, posix::Placement::kIfAbsent, /*sync=*/false);
  if (failure != win32_error::kSuccess) *error = Describe("cannot create " + path, failure);
  return failure == win32_error::kSuccess;
}

bool MakeWindowsDirectory(PathMapper& paths, const WindowsPath& directory,
                          std::vector<std::string>* warnings, std::string* error) {
  WindowsPath prefix;
  prefix.drive = directory.drive;
  for (const std::string& component : directory.components) {
    prefix.components.push_back(component);
    ResolvedPath resolved;
    const uint32_t code = paths.Resolve(prefix.Text(), &resolved);
    if (code != 0) {
      warnings->push_back("cannot create " + directory.Text() + " (error " +
                          std::to_string(code) + " on " + prefix.Text() + ")");
      return true;
    }
    if (resolved.exists) {
      if (resolved.is_directory) continue;
      *error = prefix.Text() + " (" + resolved.host_path + ") is a file, not a directory";
      return false;
    }
    if (!resolved.writable) {
      warnings->push_back("cannot create " + directory.Text() + ": drive " +
                          std::string(1, directory.drive) + ": is read-only");
      return true;
    }
    if (::mkdir(resolved.host_path.c_str(), 0755) != 0 && errno != EEXIST) {
      *error = Describe("cannot create " + resolved.host_path, Win32ErrorFromErrno(errno));
      return false;
    }
  }
  return true;
}

// The description file the maker's factory puts on its PCs, and its folder.
bool MakeMakersFiles(PathMapper& paths, const MachineConfig& config,
                     std::vector<std::string>* warnings, std::string* error) {
  const std::string text = DescriptionFileText(config);
  if (text.empty()) return true;
  WindowsPath file;
  ParseAbsoluteWindowsPath(kDescriptionFilePath, &file);
  WindowsPath folder = file;
  folder.components.pop_back();
  if (!MakeWindowsDirectory(paths, folder, warnings, error)) return false;
  ResolvedPath resolved;
  if (paths.Resolve(file.Text(), &resolved) != 0 || !resolved.writable) return true;
  return CreateFileOnce(resolved.host_path, text, error);
}

}  // namespace

bool MakeHostDirectories(const std::string& path, std::string* error) {
  const std::string normal = LexicallyNormalHostPath(path);
  std::string prefix;
  size_t start = 1;
  while (start <= normal.size()) {
    size_t end = normal.find('/', start);
    if (end == std::string::npos) end = normal.size();
    prefix = normal.substr(0, end);
    start = end + 1;
    if (prefix.empty()) continue;
    struct stat info;
    if (::stat(prefix.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      *error = prefix + " is not a directory";
      return false;
    }
    if (::mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
      *error = Describe("cannot create " + prefix, Win32ErrorFromErrno(errno));
      return false;
    }
  }
  return true;
}


namespace {

// A drive's directory outside the machine must be there already, since a
// typo in machine.ini must not build a tree somewhere on the host. Every
// drive is checked before any directory is made, so a refused machine is
// left as it was.
bool CheckDriveDirectory(const std::string& machine_dir, const DriveMapping& drive,
                         std::string* error) {
  const std::string where = "drive " + std::string(1, drive.letter) + ": ([Drives] " +
                            std::string(1, drive.letter) + "=" + drive.host_root + ")";
  struct stat info;
  if (::stat(drive.host_root.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    *error = where + " is not a directory";
    return false;
  }
  if (LiesInside(drive.host_root, machine_dir)) return true;
  *error = where + ": " + drive.host_root +
           " does not exist, and nothing is created outside the machine directory; "
           "make it or correct machine.ini";
  return false;
}

}  // namespace

bool PrepareMachineDirectory(const std::string& machine_dir, std::string* error) {
  if (!MakeHostDirectories(machine_dir, error)) return false;
  return CreateFileOnce(JoinHostPath(machine_dir, "machine.ini"), DefaultMachineIni(), error);
}

bool CompleteMachine(const std::string& machine_dir, const MachineConfig& config,
                     std::vector<std::string>* warnings, std::string* error) {
  for (const DriveMapping& drive : config.drives) {
    if (!CheckDriveDirectory(machine_dir, drive, error)) return false;
  }
  for (const DriveMapping& drive : config.drives) {
    if (!MakeHostDirectories(drive.host_root, error)) return false;
  }
  PathMapper paths(config.drives, config.current_dir);
  const InstallationLayout layout = LayoutOf(config);
  for (const WindowsPath& directory : layout.directories) {
    if (!MakeWindowsDirectory(paths, directory, warnings, error)) return false;
  }
  if (!MakeMakersFiles(paths, config, warnings, error)) return false;

  if (!CreateFileOnce(JoinHostPath(machine_dir, "registry.reg"),
                      DefaultRegistryText(config), error)) {
    return false;
  }
  return CreateFileOnce(JoinHostPath(machine_dir, "cmos.bin"), std::string(kCmosSize, '\0'),
                        error);
}

}  // namespace velsetup::host
