// Runs a script on every profile of a matrix and fills the lab's result.
#pragma once

#include <string>
#include <vector>

#include "lab/lab_result.h"

namespace velsetup::lab {

struct LabOptions {
  std::string script;                // host path
  std::vector<Profile> profiles;
  int jobs = 1;
  std::string keep;                  // empty: machines are not kept
  double timeout_seconds = 30;
  std::string tool;                  // host path of the host program
  std::string temp_root;             // where the work directory is made
};

// The limits a script meets on a lab machine.
constexpr int kMaxRestarts = 10;
constexpr uint64_t kFileSizeLimit = 256ull << 20;     // one file, RLIMIT_FSIZE
constexpr uint64_t kMachineSizeLimit = 1024ull << 20;  // the machine directory

// False with `*error` when the lab cannot run at all (the script cannot be
// read, no work directory can be made). A profile's own failure is a
// finding of that profile; the others go on.
bool RunLab(const LabOptions& options, LabResult* result, std::string* error);

// The host program beside `lab_binary`, or VELSETUP_LAB_TOOL.
std::string DefaultTool(const std::string& lab_binary);

}  // namespace velsetup::lab
