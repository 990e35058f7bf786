// Text operations the commands share: a system error's text, a program's
// directory and name from its command line, and a system ID looked up in the
// current command's data section.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

// The system's text for `code`, line break included, cut to a buffer of
// `capacity` characters (empty when the system has none). Returns `code`.
uint32_t GetErrorCodeText(std::string* text, uint32_t code, size_t capacity = 512);

// The directory and file name of the program a command line starts: its
// first word, split at the last backslash ("C:" becomes "C:\"); a word with
// no backslash is a name in the current directory. Each part is cut to a
// 260-character buffer. False, with nothing filled, for a null command line.
bool SplitProgramPath(const char* command_line, std::string* directory, std::string* file_name);

// Whether a line of the current command's data section spells `system_id`
// in one of its eight hexadecimal and decimal forms.
bool IsSystemIdListed(uint16_t system_id);

}  // namespace velsetup
