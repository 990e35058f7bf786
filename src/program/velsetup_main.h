// The tool as both programs run it: the engine's loop composed with the
// commands and the CMOS drivers.
#pragma once

#include <string>

#include "engine/entry.h"
#include "platform/platform.h"

namespace velsetup {

// The commands of commands/command_table.h and the CMOS driver that
// cmos/cmos_driver.h selects.
ToolParts StandardParts();

// The whole run on `platform`; returns the exit code (always 0). `observer`
// hears of the run as it goes (the host program counts with it).
int VelsetupMain(const Platform& platform, const std::string& command_line,
                 RunObserver* observer = nullptr);

}  // namespace velsetup
