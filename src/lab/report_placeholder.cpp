// Stand-ins for the reports until they land; deleted at the merge.
#include <string>

#include "lab/lab_report.h"

namespace velsetup::lab {

LabAnalysis Analyse(const LabResult&) { return LabAnalysis(); }

std::string TerminalReport(const LabResult& result, const LabAnalysis&) {
  std::string text;
  for (const ProfileResult& profile : result.profiles) {
    text += profile.profile.name + "  " + OutcomeText(profile.outcome) + "  runs " +
            std::to_string(profile.runs) + "  errors " + std::to_string(profile.errors()) +
            "  restarts " + std::to_string(profile.restarts.size()) + "\n";
    for (const std::string& finding : profile.findings) text += "    " + finding + "\n";
  }
  return text;
}

std::string JsonReport(const LabResult&, const LabAnalysis&) { return "{}\n"; }
std::string HtmlReport(const LabResult&, const LabAnalysis&) { return "<!DOCTYPE html>\n"; }

}  // namespace velsetup::lab
