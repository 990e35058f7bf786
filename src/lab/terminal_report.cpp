// The lab's result on the terminal: a table one row a profile, then what the
// whole run found. Plain ASCII so that it reads the same on any console and
// in a CI log.
#include <algorithm>
#include <string>
#include <vector>

#include "lab/lab_report.h"
#include "lab/report_support.h"

namespace velsetup::lab {
namespace {

// The scripts are 8-bit text of a Windows code page the terminal does not
// share; a byte it would garble, or a control byte that would move the
// cursor, shows as '?'.
std::string Plain(const std::string& text) {
  std::string plain = text;
  for (char& c : plain) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F) c = '?';
  }
  return plain;
}

struct Column {
  const char* heading;
  bool number;  // right-aligned
};

const Column kColumns[] = {{"Profile", false},  {"OS", false},       {"Outcome", false},
                           {"Sections", true},  {"Errors", true},    {"Warnings", true},
                           {"Restarts", true},  {"Files", true},     {"Registry", true}};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

std::vector<std::string> RowOf(const ProfileResult& profile) {
  return {Plain(profile.profile.name),
          Plain(SystemOf(profile.profile)),
          OutcomeWord(profile.outcome),
          std::to_string(profile.sections.size()),
          std::to_string(profile.errors()),
          std::to_string(profile.warnings()),
          std::to_string(profile.restarts.size()),
          std::to_string(FilesChanged(profile)),
          std::to_string(ValuesChanged(profile))};
}

std::string Table(const LabResult& result) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> headings;
  for (const Column& column : kColumns) headings.push_back(column.heading);
  rows.push_back(headings);
  for (const ProfileResult& profile : result.profiles) rows.push_back(RowOf(profile));
  size_t widths[kColumnCount] = {};
  for (const auto& row : rows) {
    for (size_t c = 0; c < kColumnCount; ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < kColumnCount; ++c) {
      if (c > 0) line += "  ";
      const std::string pad(widths[c] - row[c].size(), ' ');
      line += kColumns[c].number ? pad + row[c] : row[c] + pad;
    }
    // The last column may be left-aligned: no blanks at the line's end.
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

std::string Groups(const LabResult& result, const LabAnalysis& analysis) {
  std::string text;
  for (const ProfileGroup& group : analysis.groups) {
    if (group.profiles.size() < 2) continue;
    std::string names;
    for (int profile : group.profiles) {
      if (!names.empty()) names += ", ";
      names += Plain(ProfileName(result, profile));
    }
    text += names + ": same outcome and changes\n";
  }
  if (text.empty() && result.profiles.size() > 1) text = "No two profiles ended alike.\n";
  return text;
}

std::string Findings(const LabResult& result) {
  std::string text;
  for (const ProfileResult& profile : result.profiles) {
    for (const std::string& finding : profile.findings) {
      text += "  " + Plain(profile.profile.name) + ": " + Plain(finding) + "\n";
    }
  }
  return text.empty() ? text : "Findings:\n" + text;
}

std::string Uncovered(const LabResult& result, const LabAnalysis& analysis) {
  std::vector<std::pair<std::string, std::string>> lines;
  size_t width = 0;
  for (const CoveredLine& line : analysis.lines) {
    if (!line.profiles.empty()) continue;
    std::string where = Plain(FileName(result, line.file)) + ":" + std::to_string(line.line);
    width = std::max(width, where.size());
    lines.emplace_back(std::move(where), Plain(LineText(result, line.file, line.line)));
  }
  if (lines.empty()) return "Every line a run can reach ran on some profile.\n";
  std::string text = "Lines no profile ran:\n";
  for (const auto& [where, line] : lines) {
    text += "  " + where + std::string(width - where.size() + 2, ' ') + line + "\n";
  }
  return text;
}

}  // namespace

std::string TerminalReport(const LabResult& result, const LabAnalysis& analysis) {
  std::string text = Table(result);
  for (const std::string& part :
       {Groups(result, analysis), Findings(result), Uncovered(result, analysis)}) {
    if (!part.empty()) text += "\n" + part;
  }
  return text;
}

}  // namespace velsetup::lab
