// The second half of a run: preparing the machine, running the command
// slots one after another, and ending the run.
#pragma once

#include "engine/entry.h"

namespace velsetup {

// Runs the script whose working copy start-up made; returns the exit code.
int RunScript(const ToolParts& parts);

}  // namespace velsetup
