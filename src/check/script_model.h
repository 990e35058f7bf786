// The script as the checks see it, built once before any of them runs: the
// command sections a run can reach and their commands, the targets each
// command may go on with, the values and variables the commands set, and
// which sections are used at all and which are read key by key. The passes
// only read it, so no check depends on another having run first.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "check/command_line.h"
#include "check/script_text.h"

namespace velsetup::check {

struct CommandSection {
  const ScriptSection* section = nullptr;
  std::vector<CommandLine> commands;
};

// A value a CMD26 writes, before expansion.
struct ValueWrite {
  int line = 0;
  std::string section, key, value;
};

// A variable a CMD27 sets.
struct VariableWrite {
  int line = 0;
  std::string name;
  bool name_expanded = false;
};

// A section name the run may go on with.
struct Target {
  int line = 0;
  std::string name;
  bool expanded = false;  // variables in it are expanded before the lookup
  bool empty_allowed = false;
  std::string what;          // "CMD18 for Windows 95"
  bool reports_box = false;  // a miss shows the internal-error box
};

// How the run starts.
enum class StartSection { kFound, kMissing, kEmpty };

// The sections that the files a script's CMD28 lines append bring, by
// folded name. Unknown (the files were not looked for, or one is missing or
// named by a variable) unless every one of them was found.
struct AppendedSections {
  std::set<std::string> names;
  bool all_known = false;
};

class ScriptModel {
 public:
  explicit ScriptModel(const ScriptText& script);

  const ScriptText& script() const { return script_; }
  StartSection start() const { return start_; }
  // In the order the run reaches them, [CommandsList] first.
  const std::vector<CommandSection>& command_sections() const { return command_sections_; }

  // The targets of a command, and of the script's own [State].
  std::vector<Target> TargetsOf(const CommandLine& command) const;
  std::vector<ValueWrite> ValueWrites(const CommandLine& command) const;
  std::vector<VariableWrite> VariableWrites(const CommandLine& command) const;
  // The section a command reads its data from, as it names it; empty for none.
  std::string DataSectionOf(const CommandLine& command) const;

  // A target that is all variable: any section may run.
  bool anything_reachable() const { return anything_reachable_; }
  // Reached, named by a target, or read by a command (folded names).
  bool IsUsed(std::string_view name) const;
  // Read key by key (by a command, or [DATA] and [State] by the engine).
  bool IsKeyed(std::string_view name) const;

  // Whether ~%Vnnn has a value: [Variables] holds it or a command sets it.
  bool VariableSet(int number) const;
  // A CMD26 or CMD27 names what it sets with a variable.
  bool variables_unknown() const { return variables_unknown_; }
  // The values a CMD26 writes into [DATA] `key`, and whether one is written
  // where it cannot be told which key it is.
  const std::vector<std::string>& CountWrites(std::string_view key) const;
  bool counts_unknown() const { return counts_unknown_; }
  // A CMD28 appends a file, which may bring any section.
  bool appends() const { return appends_; }
  // What the appended files were found to bring, where they were looked for.
  void SetAppendedSections(AppendedSections appended) { appended_ = std::move(appended); }
  // Whether an appended file brings the section `name`.
  bool Brings(std::string_view name) const;
  // Whether every file the script appends was found, so that a section
  // none of them brings is known to be missing.
  bool appended_all_known() const { return appended_.all_known; }
  bool reads_language_data() const { return reads_language_data_; }

 private:
  void Traverse();
  void Reach(const ScriptSection& section);
  void ReachTarget(const Target& target);
  std::vector<Target> StateTargets() const;
  void GatherFacts();
  void NoteValueWrite(const ValueWrite& write);
  void Use(std::string_view name);

  const ScriptText& script_;
  StartSection start_ = StartSection::kFound;
  std::vector<CommandSection> command_sections_;
  std::set<std::string> reached_;
  bool anything_reachable_ = false;
  std::set<std::string> used_;
  std::set<std::string> keyed_;
  std::set<int> variables_set_;
  bool variables_unknown_ = false;
  std::map<std::string, std::vector<std::string>> count_writes_;  // [DATA] key -> values
  bool counts_unknown_ = false;
  bool appends_ = false;
  AppendedSections appended_;
  bool reads_language_data_ = false;
};

// The box type of a CMD17 (field 1).
int32_t BoxType(const CommandLine& command);
// A command that stores a next section: a branch, or a box that asks.
bool IsBranch(const CommandLine& command);
// The name of the file a CMD28 appends (the last part of its path), as it is
// looked for beside the script; empty where a variable makes it unknowable.
std::string AppendedFileName(const CommandLine& command);

}  // namespace velsetup::check
