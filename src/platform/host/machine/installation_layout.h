// Where a fresh installation of each Windows keeps its folders, and what the
// maker's PCs carry from the factory: one table that the machine's creation,
// its registry and its tests all read.
#pragma once

#include <string>
#include <vector>

#include "platform/host/machine/machine_config.h"
#include "platform/host/files/windows_path.h"

namespace velsetup::host {

struct InstallationLayout {
  WindowsPath program_files;   // C:\Program Files
  WindowsPath common_files;    // C:\Program Files\Common Files
  WindowsPath inf;             // the Windows directory's INF folder
  WindowsPath common_startup;  // the Startup folder of all users
  std::string product_name;    // as the registry names it; empty on NT 4.0
  // Every folder a fresh installation has, parents before children: the
  // Windows, system and temp directories, INF, FONTS, HELP, COMMAND on the
  // 9x family, the Start Menu and desktop folders (on the NT family those
  // of the profiles: All Users, Default User, Administrator), Program Files.
  std::vector<WindowsPath> directories;
};

InstallationLayout LayoutOf(const MachineConfig& config);

// The maker's description file, C:\system.sav\util\rix.ini, as the factory
// writes it on the maker's PCs (a non-empty [Bios] Signature): [Description]
// VelmorLanguage holds the two-letter code of the machine's language, the
// code ~%C105 gives. Empty text for a machine of another maker, which has no
// such file.
extern const char kDescriptionFilePath[];
std::string DescriptionFileText(const MachineConfig& config);

}  // namespace velsetup::host
