// Commands that start programs and pause the run.
#pragma once

#include <cstdint>

namespace velsetup {

uint32_t Cmd11_SpawnProgram();
uint32_t Cmd13_Sleep();

// The count CMD13 pauses for: leading blanks, one sign and the digits that
// follow, as atoi reads them, held within 32 bits; 0 without digits.
int64_t SleepMilliseconds(const char* text);

}  // namespace velsetup
