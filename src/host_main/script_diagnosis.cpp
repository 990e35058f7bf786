#include "host_main/script_diagnosis.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velsetup::host_main {

std::string ScriptProblem(const std::string& looked_for, const std::optional<std::string>& given,
                          host::PathMapper& paths) {
  host::ResolvedPath resolved;
  const uint32_t code = paths.Resolve(looked_for, &resolved);
  std::string script = looked_for;
  if (code == 0) script += " (" + resolved.host_path + ")";
  std::string reason;
  if (code != 0) {
    reason = "cannot be reached: its drive or directory does not exist (Windows error " +
             std::to_string(code) + ")";
  } else {
    struct stat info;
    if (::stat(resolved.host_path.c_str(), &info) != 0) {
      reason = "does not exist";
    } else if (S_ISDIR(info.st_mode)) {
      reason = "is a directory";
    } else if (::access(resolved.host_path.c_str(), R_OK) != 0) {
      reason = std::string("cannot be read: ") + std::strerror(errno);
    } else {
      reason = "could not be copied to the machine's temporary directory (see the install log)";
    }
  }
  if (!given) return "no script was named, and the one beside the tool, " + script + ", " + reason;
  std::string message = "the script " + script + " " + reason;
  // The tool ends the name at a '-' that begins an option: one after a blank.
  if (given->find(" -") != std::string::npos || given->find("\t-") != std::string::npos) {
    message += "; the tool reads the script's name only up to a blank followed by '-', so " +
               *given + " was cut there: rename the file or directory without the ' -'";
  }
  return message;
}

}  // namespace velsetup::host_main
