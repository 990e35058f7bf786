// The program's entry, shared by both builds: the platform, the parts the
// program composes the tool from, and the command line (the text after the
// program's own name) in, exit code 0 out.
#pragma once

#include <string>

#include "engine/command_facts.h"
#include "engine/run_observer.h"
#include "platform/platform.h"

namespace velsetup {

// What the loop is handed rather than reaching for it: the commands, and the
// machine's CMOS driver, which the run puts in place before the first
// command and removes at its end.
struct ToolParts {
  CommandTable commands;
  // Chooses the driver for the running Windows and puts its file in place.
  void (*load_cmos_driver)() = nullptr;
  void (*delete_cmos_driver)() = nullptr;
};

// The whole run; `observer`, when given, hears of each command, section and
// logged line (the host program's summary).
int RunTool(const Platform& platform, const ToolParts& parts, const std::string& command_line,
            RunObserver* observer = nullptr);

}  // namespace velsetup
