// The English system message texts of Windows 2000, as FormatMessageA gives
// them from the system's message table (IGNORE_INSERTS: "%1" stays as it is).
#pragma once

#include <cstdint>

namespace velsetup::host {

// The text with its "\r\n", or null for a code the table does not hold.
const char* SystemMessageText(uint32_t code);

}  // namespace velsetup::host
