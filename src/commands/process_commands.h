// Commands that start programs and pause the run.
#pragma once

#include <cstdint>

namespace velsetup {

uint32_t Cmd11_SpawnProgram();
uint32_t Cmd13_Sleep();

}  // namespace velsetup
