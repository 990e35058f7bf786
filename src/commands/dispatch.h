// The commands a script can run, by number, and what each does to the loop.
#pragma once

#include <cstdint>

namespace velsetup {

// A command: reads its parameters from the current slot, returns its result.
using CommandHandler = uint32_t (*)();

struct CommandEntry {
  CommandHandler handler = nullptr;  // null: the number runs no command (yet)
  bool skip_advance = false;         // the loop leaves the stored index alone
  bool result_ends_run = false;      // a nonzero result ends the run
  bool reads_data_section = false;   // CmdParam0 is "DATA" whatever the line says
};

// The entry for `number`; an empty entry for a number no command has.
const CommandEntry& FindCommand(uint32_t number);

}  // namespace velsetup
