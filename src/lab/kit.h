// The kit on a lab machine, as an engineer puts it on a PC: the script's
// directory in C:\KIT, the contents of a kit/ folder beside the script merged
// into it (the convention of scripts/run-example.sh), and the tool itself,
// C:\KIT\velsetup.exe, beside the script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsetup::lab {

// `drive_c` is the host directory of the machine's C:. Directories in
// `skip` (the lab's work and keep directories, which may lie beside the
// script) are not copied. False with `*error`.
bool PlaceKit(const std::string& script_path, const std::string& drive_c,
              const std::vector<std::string>& skip, std::string* error);

// Every profile gets its own copy of the kit, so a script that lies in a
// large tree (a home directory) would copy that tree once a profile. False
// with `*error` when the script's directory holds more than the lab copies.
constexpr uint64_t kKitByteLimit = 256ull << 20;
constexpr uint64_t kKitEntryLimit = 20000;
bool CheckKitSize(const std::string& script_path, const std::vector<std::string>& skip,
                  std::string* error);

// The host directory of C:\KIT on a machine whose C: is `drive_c`.
std::string KitHostDirectory(const std::string& drive_c);

}  // namespace velsetup::lab
