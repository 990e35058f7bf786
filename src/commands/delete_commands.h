// Commands that delete files and directory trees, and create directories.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

uint32_t Cmd16_DeleteFileOrDir();  // 2 when its data section is missing
uint32_t Cmd21_MakeDir();          // 2 when a directory could not be made

// Deletes the file or the whole directory tree at `path`, whatever the
// attributes of what it holds; logs every outcome.
void CmdRmdir(const std::string& path);

// Deletes everything below the directory `path`, then the directory. A part
// that cannot go leaves every directory above it in place, each logged.
void RemoveDir(const std::string& path);

}  // namespace velsetup
