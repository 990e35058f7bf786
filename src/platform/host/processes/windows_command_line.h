// How Windows reads a command line: which program CreateProcessA starts, and
// how the started program's C runtime splits the line into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velsetup::host {

// The program names CreateProcessA tries, in order. A quoted first word is
// the name; an unquoted line is tried up to each blank in turn, so that
// "C:\Program Files\x.exe /s" finds C:\Program.exe, then C:\Program Files\x.exe.
std::vector<std::string> ProgramCandidates(std::string_view command_line);

// The arguments after the program's name, by the C runtime's rules: blanks
// separate; inside quotes they do not; 2n backslashes before a quote give n
// backslashes and the quote opens or closes, 2n+1 give n and a literal quote;
// a doubled quote inside quotes is a literal quote; other backslashes are
// literal.
std::vector<std::string> SplitArguments(std::string_view command_line);

}  // namespace velsetup::host
