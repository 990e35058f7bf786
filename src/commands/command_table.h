// The commands a script can run, by number: the one table the loop dispatches
// from, the log names its commands from, and the checker reads.
#pragma once

#include <cstdint>

#include "engine/command_facts.h"

namespace velsetup {

constexpr uint32_t kCommandCount = 36;

// Every command, entry n for number n.
CommandTable Commands();

// The entry of `number`; one that is not defined() outside 0..35.
const CommandFacts& FactsOf(uint32_t number);

}  // namespace velsetup
