// The driver file's journey: from beside the program into the system
// directory at the start of a run, and away again at its end.
#pragma once

#include <cstdint>
#include <string>

#include "cmos/cmos_driver.h"
#include "platform/device_api.h"

namespace velsetup::cmos {

// What differs between the two drivers' files and their log lines.
struct DriverFile {
  const char* source_name;         // beside the program: "HWAInt15.VxD"
  const char* installed_name;      // below the system directory: "Drivers\HWAMgmt.Sys"
  const char* system_dir_message;  // "... GetSystemDirectory() returned with Error=%d, %s"
  const char* copy_message;        // "... CopyFile(%s, %s, FALSE) returned with Error=%d, %s"
  const char* loaded_message;
  const char* delete_message;      // "... DeleteFile(%s) returned with Error=%d, %s"
  const char* deleted_message;
};

// The system directory joined with `name` (no doubled backslash); false
// after logging `system_dir_message` when the directory cannot be had.
bool InstalledPath(const char* name, const char* system_dir_message, std::string* path);

// Copies the driver file into place, replacing a read-only copy an earlier
// run left; `*installed_path` is where it goes. 0 on success, 1 on failure.
uint32_t InstallDriverFile(const DriverFile& file, std::string* installed_path);
// Deletes the installed file, read-only or not.
void RemoveDriverFile(const DriverFile& file, const std::string& installed_path);

// What both driver tables do alike: put their file in place at the start of
// a run and take it away at the end, and hold the device they talk to.
class InstalledCmosDriver : public CmosDriver {
 public:
  uint32_t LoadDriver() override;
  void DeleteDriver() override;

 protected:
  explicit InstalledCmosDriver(const DriverFile& file) : file_(file) {}

  // Writes `sum` into the two checksum bytes, high byte first.
  void StoreChecksum(uint16_t sum);

  DeviceHandle device_ = kInvalidDevice;

 private:
  const DriverFile& file_;
  std::string installed_path_;
};

// "Error=%d, %s" with the last error's code and system text.
std::string LastErrorPart();

// One line pair at `level` with the same text as summary and detail.
void LogAtLevel(int level, const std::string& text);

}  // namespace velsetup::cmos
