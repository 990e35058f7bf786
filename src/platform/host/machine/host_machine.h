// The machine directory: made when missing, completed on every start.
//
// A machine may be nothing but a machine.ini. Each start creates what a
// Windows installation always has and the machine lacks, and changes nothing
// that is there, so a user's or a test's files, attributes and edits survive
// every start.
#pragma once

#include <string>
#include <vector>

#include "platform/host/machine/machine_config.h"

namespace velsetup::host {

// Creates the machine directory (and its parents) and a default machine.ini
// when they are missing. Two tools starting on one new machine at once both
// see the same complete file.
bool PrepareMachineDirectory(const std::string& machine_dir, std::string* error);

// Creates what is missing: each drive's directory, the Windows directory, the
// system directory and on the NT family its drivers folder, the temp
// directory, the common Startup folder where that Windows keeps it,
// registry.reg with the standard hives of the machine's family, cmos.bin
// (128 zero bytes). A directory on a drive the machine
// does not have is left out with a warning.
bool CompleteMachine(const std::string& machine_dir, const MachineConfig& config,
                     std::vector<std::string>* warnings, std::string* error);

// Creates `path` and its missing parents on the host.
bool MakeHostDirectories(const std::string& path, std::string* error);

}  // namespace velsetup::host
