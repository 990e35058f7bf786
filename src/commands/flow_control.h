// Commands that steer the interpreter rather than the machine.
#pragma once

#include <cstdint>

namespace velsetup {

uint32_t Cmd00_EndOfSection();       // 1 when no section follows
uint32_t Cmd05_IncRunningCounter();  // counts in [DATA] RunCount
uint32_t Cmd06_DecCmdIndex();        // runs the command [DATA] DecCommand slots back next
uint32_t Cmd07_IncCmdIndex();        // skips the [DATA] IncCommand commands that follow
uint32_t Cmd08_ResetCmdIndex();      // removes the run state; ends the run
uint32_t Cmd10_Exit();               // ends the run
uint32_t Cmd20_ExitRebootSystem();   // ends the run with a restart unless suppressed
// Deletes what its line names and the working copy; ends the run, with a
// restart when field 2 says TRUE.
uint32_t Cmd29_ExitAndDeleteINIFile();

}  // namespace velsetup
