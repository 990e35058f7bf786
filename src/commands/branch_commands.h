// Commands that choose the section to run after the current one: by the
// maker signature, the Windows version, the system ID, the power management
// of Windows 98, or unconditionally. Each stores its choice in [State]
// NextSection; the switch happens when the current section reaches its end,
// so the commands behind a branch in its section still run.
#pragma once

#include <cstdint>

namespace velsetup {

uint32_t Cmd09_BranchOnIsVelmor();
uint32_t Cmd18_BranchOnOS();
uint32_t Cmd19_JumpToNextSection();
uint32_t Cmd25_BranchOnSystemID();
uint32_t Cmd30_BranchOnPowerManagement();

}  // namespace velsetup
