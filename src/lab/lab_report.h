// The three forms of a lab run's result, and the whole-run analysis they
// share: profiles grouped by identical outcome and changes, and the script's
// coverage line by line.
#pragma once

#include <string>
#include <vector>

#include "lab/lab_result.h"

namespace velsetup::lab {

// Profiles whose outcome, findings and changes are the same.
struct ProfileGroup {
  std::vector<int> profiles;  // indexes into LabResult::profiles
};

// A line of a script file that a run can reach: a command line of a
// command section, or a data line a command reads.
struct CoveredLine {
  int file = 0;
  int line = 0;
  std::vector<int> profiles;  // the profiles that ran it; empty: none did
};

struct LabAnalysis {
  std::vector<ProfileGroup> groups;
  std::vector<CoveredLine> lines;  // in file and line order
};

LabAnalysis Analyse(const LabResult& result);

// One row a profile, then the groups and the lines no profile ran.
std::string TerminalReport(const LabResult& result, const LabAnalysis& analysis);
// The documented schema (docs/lab.md).
std::string JsonReport(const LabResult& result, const LabAnalysis& analysis);
// One self-contained page: no network, no external file.
std::string HtmlReport(const LabResult& result, const LabAnalysis& analysis);

}  // namespace velsetup::lab
