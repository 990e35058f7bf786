// Variable tokens in parameter texts and their expansion.
//
// A token is six characters: "~%", the class letter ('C' built-in, 'V' script
// variable, either case) and a three-character number read like atoi. The
// built-ins are the tool's own directory (001), the Windows and system
// directories and two folders in them (101 to 104), the user's language code
// (105) and a temporary file name (000); script variables are the keys V000 to
// V999 of the script's [Variables] section.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velsetup {

constexpr size_t kVariableWorkCapacity = 260;  // value plus the rest of the text
// Replacements in one text before expansion gives up: a variable whose value
// leads back to itself would otherwise be expanded for ever.
constexpr int kMaxReplacementsPerText = 256;

// Expands every token of `text` in place. `capacity` is the size of the
// caller's buffer, terminator included: the text never grows beyond
// `capacity - 1` characters. Returns the number of 'C' and 'V' tokens met,
// replaced or not; 0 leaves the text unchanged.
//
// A replacement that would not fit (the value and the rest of the text beyond
// 259 characters, or the whole text beyond the capacity) is not made: the
// token is left as written and the log says why. A path cut short would name
// another file, which the command would then go on to use.
int GetVariable(std::string* text, size_t capacity);

// "TMP" and the last five digits of the process id, zero-padded: the same
// name for every use within one run.
std::string TemporaryFileName();

}  // namespace velsetup
