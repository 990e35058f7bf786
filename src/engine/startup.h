// Start-up: find the script, turn the install log on, read the options,
// decide between a clean start and a resume, and make the working copy.
#pragma once

#include <string>
#include <string_view>

#include "version.h"

namespace velsetup {

constexpr const char* kVersionText = VELSETUP_VERSION_TEXT;
constexpr const char* kDefaultLogPath = "C:\\system.sav\\util\\install.log";
constexpr const char* kDescriptionFile = "C:\\system.sav\\util\\rix.ini";

struct SplitPathResult {
  std::string directory;  // without trailing backslash; "C:" for a file in a root
  std::string name;
};
// Splits at the last backslash; without one the directory is empty.
SplitPathResult SplitPath(std::string_view path);

// Fills the run state from the command line (the text after the program's
// name). Returns false when the run cannot start; the reason is in the log.
bool InitINIandLogFiles(const std::string& command_line);

// The usage box of a bad command line.
void ShowUsageBox();

}  // namespace velsetup
