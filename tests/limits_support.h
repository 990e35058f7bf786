// What the length-limit scenarios share: the script and log they use, and
// ways to look at a log whose lines may be thousands of characters long.
#ifndef VELSETUP_TESTS_LIMITS_SUPPORT_H_
#define VELSETUP_TESTS_LIMITS_SUPPORT_H_

#include <string>
#include <vector>

#include "scenario.h"

namespace velsetup::testing::limits {

inline const std::string kScript = "C:\\KIT\\SETUP.INI";
inline const std::string kLog = "C:\\KIT\\install.log";
// The longest line the install log holds, time stamp included.
constexpr size_t kLogLineMax = 511;

inline std::string Repeat(char c, size_t count) { return std::string(count, c); }

// The lines, one below the other, for a failure message.
inline std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

// The log's lines as the file holds them (time stamps included).
inline std::vector<std::string> RawLogLines(const Scenario& machine, const std::string& log_path) {
  std::vector<std::string> lines;
  const std::string bytes = machine.ReadFile(log_path);
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  return lines;
}

}  // namespace velsetup::testing::limits

#endif  // VELSETUP_TESTS_LIMITS_SUPPORT_H_
