// Commands that copy and rename files and directory trees.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

uint32_t Cmd15_CopyFile();    // 2 when a failed copy ended it
uint32_t Cmd31_RenameFile();  // 2 when the inline rename failed

// Copies the contents of the directory `source` into the existing directory
// `destination`, depth first, logging every failure and going on after it.
void SBCopyFile(const std::string& source, const std::string& destination);

}  // namespace velsetup
