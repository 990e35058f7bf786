#include "platform/host/processes/windows_command_line.h"

namespace velsetup::host {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where the program's name ends (the first argument starts after blanks).
size_t EndOfProgramName(std::string_view line) {
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    return close == std::string_view::npos ? line.size() : close + 1;
  }
  size_t end = 0;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  return end;
}

}  // namespace

std::vector<std::string> ProgramCandidates(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  line.remove_prefix(start);
  if (line.empty()) return {};
  if (line[0] == '"') {
    const size_t close = line.find('"', 1);
    return {std::string(line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                      : close - 1))};
  }
  std::vector<std::string> names;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || IsBlank(line[i])) {
      if (i > 0 && !IsBlank(line[i - 1])) names.emplace_back(line.substr(0, i));
    }
  }
  return names;
}

std::vector<std::string> SplitArguments(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start])) ++start;
  line.remove_prefix(start);
  size_t i = EndOfProgramName(line);
  std::vector<std::string> arguments;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++backslashes;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(backslashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace velsetup::host
