// The whole-run analysis: which profiles ended alike, and which lines of the
// script each profile ran.
#include <algorithm>
#include <map>
#include <set>

#include "lab/lab_report.h"
#include "lab/script_view.h"

namespace velsetup::lab {

// In the records' own namespace, where the comparison of two lists finds them.
static bool operator==(const FileChange& a, const FileChange& b) {
  return a.change == b.change && a.path == b.path && a.directory == b.directory &&
         a.old_size == b.old_size && a.new_size == b.new_size &&
         a.old_attributes == b.old_attributes && a.new_attributes == b.new_attributes &&
         a.tool_own == b.tool_own;
}

static bool operator==(const RegistryChange& a, const RegistryChange& b) {
  return a.change == b.change && a.key == b.key && a.key_only == b.key_only &&
         a.value == b.value && a.old_data == b.old_data && a.new_data == b.new_data;
}

static bool operator==(const IniChange& a, const IniChange& b) {
  return a.change == b.change && a.file == b.file && a.section == b.section && a.key == b.key &&
         a.old_value == b.old_value && a.new_value == b.new_value && a.tool_own == b.tool_own;
}

namespace {

// Sections run, boxes and restarts may differ within a group: what the
// group stands for is where the machine was left, and how the run ended.
bool EndedAlike(const ProfileResult& a, const ProfileResult& b) {
  return a.outcome == b.outcome && a.findings == b.findings &&
         a.changes.files == b.changes.files && a.changes.registry == b.changes.registry &&
         a.changes.ini == b.changes.ini;
}

std::vector<ProfileGroup> Group(const LabResult& result) {
  std::vector<ProfileGroup> groups;
  for (size_t i = 0; i < result.profiles.size(); ++i) {
    const ProfileResult& profile = result.profiles[i];
    auto group = std::find_if(groups.begin(), groups.end(), [&](const ProfileGroup& g) {
      return EndedAlike(result.profiles[static_cast<size_t>(g.profiles.front())], profile);
    });
    if (group == groups.end()) {
      groups.push_back({{static_cast<int>(i)}});
    } else {
      group->profiles.push_back(static_cast<int>(i));
    }
  }
  return groups;
}

std::vector<CoveredLine> Cover(const LabResult& result) {
  const ScriptView view(result);
  // Joined line -> the profiles that ran it; a line a run can reach is
  // entered before any profile is counted, so none that ran nowhere is lost.
  std::map<int, std::set<int>> lines;
  for (const ViewSection& section : view.command_sections()) {
    for (const check::CommandLine& command : section.commands) {
      lines[command.line];
      for (int data : view.DataLines(command)) lines[data];
    }
  }
  for (size_t p = 0; p < result.profiles.size(); ++p) {
    const int profile = static_cast<int>(p);
    std::set<int> ran;
    for (const CommandRun& run : result.profiles[p].commands) {
      const int line = view.Join(run.file, run.line);
      if (line == 0) continue;
      ran.insert(line);
      // A line the runs reached is covered even where the model saw no
      // command: what ran is the fact.
      lines[line].insert(profile);
    }
    for (const ViewSection& section : view.command_sections()) {
      for (const check::CommandLine& command : section.commands) {
        if (ran.count(command.line) == 0) continue;
        for (int data : view.DataLines(command)) lines[data].insert(profile);
      }
    }
  }
  std::vector<CoveredLine> covered;
  for (const auto& [joined, profiles] : lines) {
    const FileLine at = view.Locate(joined);
    if (at.file < 0) continue;
    covered.push_back({at.file, at.line, std::vector<int>(profiles.begin(), profiles.end())});
  }
  return covered;
}

}  // namespace

LabAnalysis Analyse(const LabResult& result) { return {Group(result), Cover(result)}; }

}  // namespace velsetup::lab
