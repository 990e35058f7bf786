// The Startup shortcut reader on arbitrary bytes: a damaged .lnk file in a
// kit must give a reason, never a read outside the file, and what it accepts
// can only come from the file's own bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lab/shell_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velsetup::lab;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ShellLink link;
  std::string error;
  if (!ParseShellLink(bytes, &link, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Each text takes at least one byte of the file per character.
  const size_t taken = link.local_base_path.size() + link.relative_path.size() +
                       link.working_dir.size() + link.arguments.size();
  if (taken > size) std::abort();
  const std::string target = LinkTarget(link, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp");
  if (target.size() > taken + 64) std::abort();
  return 0;
}
