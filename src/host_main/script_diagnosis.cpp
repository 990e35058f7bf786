#include "host_main/script_diagnosis.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velsetup::host_main {

std::string ScriptProblem(const std::string& looked_for, const std::optional<std::string>& given,
                          host::PathMapper& paths) {
  std::string subject = "the script " + looked_for;
  if (!given) subject = "no script was named, and " + looked_for + " (the one beside the tool)";
  host::ResolvedPath resolved;
  const uint32_t code = paths.Resolve(looked_for, &resolved);
  std::string reason;
  if (code != 0) {
    reason = "cannot be reached: its drive or directory does not exist (Windows error " +
             std::to_string(code) + ")";
  } else {
    subject += " (" + resolved.host_path + ")";
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
  std::string message = subject + " " + reason;
  if (given && given->find('-') != std::string::npos) {
    message += "; the tool reads the script's name only up to its first '-', so " + *given +
               " was cut there: rename the file or directory without the '-'";
  }
  return message;
}

}  // namespace velsetup::host_main
