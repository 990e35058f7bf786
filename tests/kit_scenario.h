// The kit most command scenarios run from: the script in C:\KIT with its
// log beside it.
#pragma once

#include <string>
#include <vector>

#include "scenario.h"

namespace velsetup::testing {

inline const std::string kScript = "C:\\KIT\\SETUP.INI";
inline const std::string kLog = "C:\\KIT\\install.log";

// A script that logs to kLog, with `commands` in its command list and
// `sections` after it.
inline std::vector<std::string> Script(const std::vector<std::string>& commands,
                                       const std::vector<std::string>& sections) {
  return LoggedScript(kLog, commands, sections);
}

}  // namespace velsetup::testing
