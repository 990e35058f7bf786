// Whole-file replacement that survives a crash at any moment: the bytes go to
// a temporary file beside the target, are synced, and are renamed over it,
// and the directory is synced so that the rename itself lasts.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup::host {

// 0, or the Win32 code of the failure, in which case the old file stands.
uint32_t ReplaceFileDurably(const std::string& path, const std::string& bytes);

}  // namespace velsetup::host
