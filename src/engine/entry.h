// The program's entry, shared by both builds: the platform and the command
// line (the text after the program's own name) in, exit code 0 out.
#pragma once

#include <string>

#include "engine/run_observer.h"
#include "platform/platform.h"

namespace velsetup {

int VelsetupMain(const Platform& platform, const std::string& command_line,
                 RunObserver* observer = nullptr);

}  // namespace velsetup
