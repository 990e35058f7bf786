// What the simulated machine is, as its machine.ini says:
//
//   [Machine] OS, UserLanguage, WindowsDir, SystemDir, TempDir, CurrentDir, ModulePath
//   [Drives]  one key per drive letter: a directory, relative to the machine
//             directory or absolute
//   [DriveAccess] one key per drive letter: writable or read-only (see
//             drive_access.h; outside the machine directory read-only is
//             the default)
//   [Bios]    Signature, SystemID, IdString
//
// A key that is missing or empty takes its default. Text from a ";" at the
// start of a value or after a blank is a comment, so a file can explain its
// keys on their own lines. Drives: C (drive_c) and Z (the host's root) are
// there unless their keys are given empty ("Z=" hides the host); any other
// letter is there when it is listed. [Bios] Signature given empty is a machine
// of another maker: no signature at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/files/path_mapper.h"
#include "platform/host/profile/profile_store.h"
#include "platform/host/files/windows_path.h"
#include "platform/platform.h"

namespace velsetup::host {

struct MachineConfig {
  std::string os_name = "win2000";
  OsVersionInfo version;
  uint16_t user_language = 0x0409;
  WindowsPath windows_dir;
  WindowsPath system_dir;
  std::string temp_dir;     // full path, ends in a backslash
  WindowsPath current_dir;
  std::string module_path;  // empty: where the host program says the tool lies
  std::vector<DriveMapping> drives;
  std::string bios_signature = "VELMOR";
  uint16_t bios_system_id = 0;
  std::string bios_id_string;
  // Privileges whose adjustment fails on this machine (names as the system
  // knows them), so that a run's error lines can be seen.
  std::vector<std::string> failing_privileges;

  bool nt_family() const { return version.platform_id == kPlatformWin32Nt; }
};

// The version record of an OS name of machine.ini (win95, win98, winme, nt4,
// win2000, winxp, in any case); false for another name.
bool OsVersionFor(const std::string& os_name, OsVersionInfo* version);

// Reads machine.ini of `machine_dir` (an absolute host path). Whatever cannot
// be used is replaced by its default and explained in `warnings`.
MachineConfig LoadMachineConfig(const std::string& machine_dir, ProfileStore& store,
                                std::vector<std::string>* warnings);

// The machine.ini a new machine gets: every key with its default and a word
// on what it does, for a user to read and edit.
const char* DefaultMachineIni();

// "0x0409" is hex, "1033" decimal; false for anything else or above 0xFFFF.
bool ParseMachineNumber(const std::string& text, uint16_t* value);

}  // namespace velsetup::host
