// velsetup-lab's command line.
#pragma once

#include <string>
#include <vector>

namespace velsetup::lab {

struct LabArguments {
  bool help = false;
  std::string script;
  std::string matrix;  // empty: the default matrix
  std::string json;
  std::string html;
  int jobs = 0;        // 0: one a core
  std::string keep;
  int timeout_seconds = 30;
};

// False with `*error` for an unknown option, a missing or second script, a
// value that is missing or not a number in range.
bool ParseLabArguments(const std::vector<std::string>& arguments, LabArguments* parsed,
                       std::string* error);

const char* LabUsage();

}  // namespace velsetup::lab
