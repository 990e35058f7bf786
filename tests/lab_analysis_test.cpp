// The whole-run analysis of the lab: which profiles count as ending alike,
// and which script lines a run can reach and which profiles ran them.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "lab/lab_report.h"
#include "lab_sample.h"

namespace velsetup::lab {
namespace {

std::vector<std::vector<int>> Members(const LabAnalysis& analysis) {
  std::vector<std::vector<int>> members;
  for (const ProfileGroup& group : analysis.groups) members.push_back(group.profiles);
  return members;
}

// (file, line) -> the profiles that ran it.
std::map<std::pair<int, int>, std::vector<int>> Coverage(const LabAnalysis& analysis) {
  std::map<std::pair<int, int>, std::vector<int>> lines;
  for (const CoveredLine& line : analysis.lines) lines[{line.file, line.line}] = line.profiles;
  return lines;
}

TEST(LabAnalysis, GroupsProfilesThatEndAlikeInMatrixOrder) {
  const LabResult result = sample::Result();
  // win95, win98-apm, nt4, win98-acpi, win2000: the two Windows 98 ended
  // alike; nt4 and win2000 ran the same lines but ended differently.
  EXPECT_EQ(Members(Analyse(result)), (std::vector<std::vector<int>>{{0}, {1, 3}, {2}, {4}}));
}

TEST(LabAnalysis, AnyDifferenceInChangesOrFindingsSeparatesProfiles) {
  const LabResult base = sample::Result();
  const std::vector<std::vector<int>> apart = {{0}, {1}, {2}, {3}, {4}};

  LabResult size = base;
  size.profiles[3].changes.registry[1].new_data = "dword:00000002";
  EXPECT_EQ(Members(Analyse(size)), apart) << "another value written";

  LabResult order = base;
  std::swap(order.profiles[3].changes.registry[0], order.profiles[3].changes.registry[1]);
  EXPECT_EQ(Members(Analyse(order)), apart) << "the changes in another order";

  LabResult own = base;
  own.profiles[3].changes.files[0].new_size = 900;
  EXPECT_EQ(Members(Analyse(own)), apart) << "the tool's own files count too";

  LabResult ini = base;
  ini.profiles[1].changes.ini.push_back({Change::kAdded, "C:\\WINDOWS\\WIN.INI", "Velmor", "Done", "", "1", false});
  EXPECT_EQ(Members(Analyse(ini)), apart);

  LabResult finding = base;
  finding.profiles[1].findings.push_back("the kit was deleted");
  EXPECT_EQ(Members(Analyse(finding)), apart);

  // What may differ within a group: the boxes, the log, the restarts.
  LabResult boxes = base;
  boxes.profiles[3].boxes.clear();
  boxes.profiles[3].log.push_back({1, "WARNING", "WARNING: slow"});
  boxes.profiles[3].restarts.push_back({1, "Startup shortcut", "velsetup.exe"});
  EXPECT_EQ(Members(Analyse(boxes)), Members(Analyse(base)));
}

TEST(LabAnalysis, CoversCommandLinesDataLinesAndAppendedFiles) {
  const LabResult result = sample::Result();
  const auto lines = Coverage(Analyse(result));
  using Profiles = std::vector<int>;
  // Command lines, by the profiles that ran them.
  EXPECT_EQ(lines.at({0, 2}), (Profiles{0, 1, 2, 3, 4}));
  EXPECT_EQ(lines.at({0, 5}), (Profiles{0}));
  EXPECT_EQ(lines.at({0, 8}), (Profiles{1, 3}));
  EXPECT_EQ(lines.at({0, 31}), (Profiles{0, 1, 3}));
  // Data lines, read by a command that ran: every line of a list, only the
  // keys read of a keyed section, the message of a box.
  EXPECT_EQ(lines.at({0, 13}), (Profiles{0}));
  EXPECT_EQ(lines.at({0, 14}), (Profiles{0}));
  EXPECT_EQ(lines.at({0, 17}), (Profiles{1, 3}));
  EXPECT_EQ(lines.at({0, 24}), (Profiles{1, 3}));
  EXPECT_EQ(lines.at({0, 28}), (Profiles{1, 3}));
  EXPECT_EQ(lines.count({0, 29}), 0u) << "a key no command reads is no line a run reaches";
  // The appended file's lines, numbered in that file.
  EXPECT_EQ(lines.at({1, 2}), (Profiles{2, 4}));
  EXPECT_EQ(lines.at({1, 3}), (Profiles{2, 4}));
  // Headers, and sections nothing reaches, are not lines a run can reach.
  EXPECT_EQ(lines.count({0, 1}), 0u);
  EXPECT_EQ(lines.count({1, 1}), 0u);
  EXPECT_EQ(lines.count({0, 33}), 0u);
}

TEST(LabAnalysis, ListsTheReachableLinesNoProfileRanInFileAndLineOrder) {
  const LabAnalysis analysis = Analyse(sample::Result());
  std::vector<std::pair<int, int>> uncovered;
  for (const CoveredLine& line : analysis.lines) {
    if (line.profiles.empty()) uncovered.emplace_back(line.file, line.line);
  }
  EXPECT_EQ(uncovered, (std::vector<std::pair<int, int>>{{0, 22}})) << "the No answer's section";
  for (size_t i = 1; i < analysis.lines.size(); ++i) {
    const CoveredLine& a = analysis.lines[i - 1];
    const CoveredLine& b = analysis.lines[i];
    EXPECT_TRUE(a.file < b.file || (a.file == b.file && a.line < b.line)) << b.file << ":" << b.line;
  }
}

TEST(LabAnalysis, ASectionNamedByVariablesCountsOnceAProfileRanIt) {
  LabResult result;
  result.files = {{"v.ini", "/kit/v.ini",
                   sample::Lines({"[CommandsList]", "19,~%V001", "[Hidden]", "32,found", "10",
                                  "[Never]", "10"})}};
  ProfileResult profile = sample::Profile("win95", "win95", "");
  sample::Ran(profile, 1, {{"CommandsList", 0, 2, 19}, {"Hidden", 0, 4, 32}});
  result.profiles = {profile};
  const auto lines = Coverage(Analyse(result));
  EXPECT_EQ(lines.at({0, 4}), (std::vector<int>{0}));
  EXPECT_EQ(lines.at({0, 5}), (std::vector<int>{})) << "the rest of a section a run entered";
  EXPECT_EQ(lines.count({0, 7}), 0u) << "what neither the script nor a run shows reachable";
}

TEST(LabAnalysis, ALaterSectionOfTheSameNameInAnAppendedFileNeverRuns) {
  LabResult result;
  result.files = {{"a.ini", "/kit/a.ini", sample::Lines({"[CommandsList]", "28,b.ini", "19,Next", "[Next]", "10"})},
                  {"b.ini", "/kit/b.ini", sample::Lines({"[Next]", "32,shadowed", "[Own]", "10"})}};
  const auto lines = Coverage(Analyse(result));
  EXPECT_EQ(lines.count({0, 5}), 1u);
  EXPECT_EQ(lines.count({1, 2}), 0u) << "the working copy's first [Next] wins";
}

}  // namespace
}  // namespace velsetup::lab
