#include "cmos/driver_file.h"

#include "cmos/checksum.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_format.h"

namespace velsetup::cmos {

namespace {

constexpr uint32_t kPathBuffer = 260;

std::string DirectoryPart(const std::string& path) {
  const size_t backslash = path.rfind('\\');
  return backslash == std::string::npos ? std::string() : path.substr(0, backslash);
}

// Clears the read-only bit and keeps the others.
void ClearReadOnly(const std::string& path) {
  const uint32_t attributes = Files().GetFileAttributesA(path.c_str());
  if (attributes == file_attribute::kInvalid) return;
  Files().SetFileAttributesA(path.c_str(), attributes & ~file_attribute::kReadOnly);
}

}  // namespace

std::string LastErrorPart() {
  std::string text;
  const int code = static_cast<int>(GetLastErrorText(&text));
  return Format("Error=%d, %s", code, text.c_str());
}

void LogAtLevel(int level, const std::string& text) {
  WriteLevelLog(text, text, level);
}

bool InstalledPath(const char* name, const char* system_dir_message, std::string* path) {
  char directory[kPathBuffer] = {};
  const uint32_t length = System().GetSystemDirectoryA(directory, kPathBuffer);
  if (length == 0 || length >= kPathBuffer) {
    std::string text;
    const int code = static_cast<int>(GetLastErrorText(&text));
    LogAtLevel(2, Format(system_dir_message, code, text.c_str()));
    return false;
  }
  *path = std::string(directory, length);
  if (path->empty() || path->back() != '\\') *path += '\\';
  *path += name;
  return true;
}

uint32_t InstallDriverFile(const DriverFile& file, std::string* installed_path) {
  if (!InstalledPath(file.installed_name, file.system_dir_message, installed_path)) return 1;
  char module[kPathBuffer] = {};
  const uint32_t length = System().GetModuleFileNameA(module, kPathBuffer);
  const std::string source =
      DirectoryPart(std::string(module, length < kPathBuffer ? length : 0)) + "\\" +
      file.source_name;

  if (Files().CopyFileA(source.c_str(), installed_path->c_str(), false)) {
    WriteLogText(file.loaded_message);
    return 0;
  }
  std::string text;
  const uint32_t code = GetLastErrorText(&text);
  if (code == win32_error::kAccessDenied) {
    // A read-only copy from an earlier run: it is replaced all the same.
    ClearReadOnly(*installed_path);
    if (Files().CopyFileA(source.c_str(), installed_path->c_str(), false)) {
      WriteLogText(file.loaded_message);
      return 0;
    }
  }
  // The first error is the one reported, also after a second attempt.
  LogAtLevel(2, Format(file.copy_message, source.c_str(), installed_path->c_str(),
                                static_cast<int>(code), text.c_str()));
  return 1;
}

void RemoveDriverFile(const DriverFile& file, const std::string& installed_path) {
  ClearReadOnly(installed_path);
  if (Files().DeleteFileA(installed_path.c_str())) {
    WriteLogText(file.deleted_message);
    return;
  }
  std::string text;
  const int code = static_cast<int>(GetLastErrorText(&text));
  LogAtLevel(2, Format(file.delete_message, installed_path.c_str(), code, text.c_str()));
}

uint32_t InstalledCmosDriver::LoadDriver() { return InstallDriverFile(file_, &installed_path_); }

void InstalledCmosDriver::StoreChecksum(uint16_t sum) {
  WriteCMOS(kChecksumHigh, static_cast<uint8_t>(sum >> 8));
  WriteCMOS(kChecksumLow, static_cast<uint8_t>(sum));
}

void InstalledCmosDriver::DeleteDriver() {
  if (installed_path_.empty() &&
      !InstalledPath(file_.installed_name, file_.system_dir_message, &installed_path_)) {
    return;
  }
  RemoveDriverFile(file_, installed_path_);
}

}  // namespace velsetup::cmos
