// The install log: one line per event, appended to LogPath while logging is on.
// The file is opened and closed for every line so that other programs can read
// or append to it between lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velsetup {

// "[hh:mm:ss.mmm]  MODULE> prefix message", cut to 511 characters.
void WriteLog(std::string_view prefix, std::string_view message);
// "[hh:mm:ss.mmm]  message", cut to 511 characters.
void WriteLogText(std::string_view message);
// Two untimed lines, each with the level tag in front: the summary, then the
// detail. Level 0 is "FATAL-=-", 1 "RECOVERABLE ERROR-=-", others "WARNING ERROR-=-".
void WriteLevelLog(std::string_view detail, std::string_view summary, int level);

// The calling thread's last error code and its system text with every CR and
// LF turned into a blank, cut to `capacity - 1` characters.
uint32_t GetLastErrorText(std::string* text, size_t capacity = 512);

// The time stamp of a log line: "[%02d:%02d:%02d.%03d] ".
std::string LogTimeStamp();

}  // namespace velsetup
