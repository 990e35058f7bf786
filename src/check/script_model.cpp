#include "check/script_model.h"

#include <deque>

#include "check/command_rules.h"
#include "check/variable_tokens.h"
#include "engine/run_state.h"
#include "engine/script_keys.h"
#include "engine/script_lines.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

using profile::FoldName;

int32_t BoxType(const CommandLine& command) { return ReadIntValue(command.Field(1), 1); }

std::string AppendedFileName(const CommandLine& command) {
  const std::string path = command.Field(0);
  const size_t cut = path.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.find("~%") != std::string::npos) name.clear();
  return name;
}

bool IsBranch(const CommandLine& command) {
  if (command.rule().course == Course::kAsks) return !AnswerFields(BoxType(command)).empty();
  return command.rule().course == Course::kBranches;
}

ScriptModel::ScriptModel(const ScriptText& script) : script_(script) {
  Traverse();
  GatherFacts();
  for (const CommandSection& section : command_sections_) {
    for (const CommandLine& command : section.commands) {
      const std::string data = DataSectionOf(command);
      if (data.empty()) continue;
      Use(data);
      const DataKind kind = command.rule().data;
      if (kind == DataKind::kKeys || kind == DataKind::kMessage) keyed_.insert(FoldName(data));
    }
  }
  keyed_.insert(FoldName(script_key::kData));
  keyed_.insert(FoldName(script_key::kState));
}

// --- which sections run

void ScriptModel::Traverse() {
  std::deque<const ScriptSection*> pending;
  const ScriptSection* list = script_.Find(script_key::kCommandsList);
  if (list == nullptr) {
    start_ = StartSection::kMissing;
  } else if (list->empty()) {
    start_ = StartSection::kEmpty;
  } else {
    Reach(*list);
  }
  for (const Target& target : StateTargets()) ReachTarget(target);
  // Reach adds to command_sections_ with no commands yet; they are read in
  // the order they were reached, each adding what its targets reach.
  for (size_t next = 0; next < command_sections_.size(); ++next) {
    std::vector<CommandLine> commands;
    for (const SectionLine& line : command_sections_[next].section->lines) {
      CommandLine command;
      if (!ReadCommandLine(line, &command)) continue;
      command.index = commands.size();
      commands.push_back(std::move(command));
    }
    for (const CommandLine& command : commands) {
      for (const Target& target : TargetsOf(command)) ReachTarget(target);
    }
    command_sections_[next].commands = std::move(commands);
  }
}

void ScriptModel::Reach(const ScriptSection& section) {
  if (!reached_.insert(FoldName(section.name)).second) return;
  Use(section.name);
  command_sections_.push_back({&section, {}});
}

void ScriptModel::ReachTarget(const Target& target) {
  if (target.name.empty()) return;
  if (!target.expanded || !HasToken(target.name)) {
    Use(target.name);
    if (const ScriptSection* section = script_.Find(target.name)) {
      if (!section->empty()) Reach(*section);
    }
    return;
  }
  const NamePattern pattern = PatternOf(target.name);
  // A name that is all variable could be any section.
  if (!pattern.any_literal) {
    anything_reachable_ = true;
    return;
  }
  for (const ScriptSection& section : script_.sections()) {
    if (Matches(pattern, section.name) && !section.empty()) Reach(section);
  }
}

// A script that brings its own run state starts or goes on where it says.
std::vector<Target> ScriptModel::StateTargets() const {
  std::vector<Target> targets;
  const ScriptSection* state = script_.Find(script_key::kState);
  if (state == nullptr) return targets;
  for (const char* key : {script_key::kCurrentSection, script_key::kNextSection}) {
    if (const auto value = script_.Key(*state, key)) {
      targets.push_back({value->line, value->value, false, true, Concat("[State] ", key), false});
    }
  }
  return targets;
}

std::vector<Target> ScriptModel::TargetsOf(const CommandLine& command) const {
  std::vector<Target> targets;
  const CommandFacts& rule = command.rule();
  const std::string name = ShortName(command.Number());
  if (rule.course == Course::kBranches) {
    for (const FieldFact& field : rule.fields()) {
      if (field.role != FieldRole::kTarget) continue;
      const std::string what = field.outcome != nullptr ? Concat(name, " for ", field.outcome) : name;
      targets.push_back({command.line, command.Field(static_cast<size_t>(field.index)),
                         field.expanded, false, what, true});
    }
  }
  if (rule.course == Course::kAsks) {
    const int32_t type = BoxType(command);
    // The buttons in the order of the fields their answers pick.
    const char* const buttons[] = {type == 2 ? "OK" : "Yes", type == 2 ? "Cancel" : "No",
                                   "Cancel"};
    for (int field : AnswerFields(type)) {
      targets.push_back({command.line, command.Field(static_cast<size_t>(field)), false, true,
                         Concat(name, " for the answer ", buttons[field - 2]), false});
    }
  }
  if (rule.effect == Effect::kSetsValues) {
    for (const ValueWrite& write : ValueWrites(command)) {
      if (EqualsIgnoreCase(write.section, script_key::kState) &&
          EqualsIgnoreCase(write.key, script_key::kNextSection)) {
        targets.push_back({write.line, write.value, true, true,
                           Concat(name, " as [State] NextSection"), false});
      }
    }
  }
  return targets;
}

// --- what the running commands set

namespace {

// The writes of a command: its inline one, or one a line of its data section
// that `read` takes (the tool passes over the others).
template <typename Write, typename Parts, typename Make>
std::vector<Write> WritesOf(const ScriptText& script, const CommandLine& command,
                            const Write& inline_write,
                            LineVerdict (*read)(std::string_view, Parts*), const Make& make) {
  if (command.Inline()) return {inline_write};
  std::vector<Write> writes;
  const ScriptSection* data = script.Find(command.Field(0));
  if (data == nullptr) return writes;
  for (const SectionLine& line : data->lines) {
    Parts parts;
    if (read(line.text, &parts) != LineVerdict::kTaken) continue;
    writes.push_back(make(line.line, parts));
  }
  return writes;
}

}  // namespace

std::vector<ValueWrite> ScriptModel::ValueWrites(const CommandLine& command) const {
  return WritesOf(script_, command,
                  ValueWrite{command.line, command.Field(1), command.Field(2), command.Field(3)},
                  ReadValueLine, [](int line, const ValueLine& parts) {
                    return ValueWrite{line, TrimBlanks(parts.section), TrimBlanks(parts.key),
                                      TrimBlanks(parts.value)};
                  });
}

std::vector<VariableWrite> ScriptModel::VariableWrites(const CommandLine& command) const {
  return WritesOf(script_, command, VariableWrite{command.line, command.Field(1), false},
                  ReadNameValueLine, [](int line, const NameValueLine& parts) {
                    return VariableWrite{line, TrimBlanks(parts.name), true};
                  });
}

std::string ScriptModel::DataSectionOf(const CommandLine& command) const {
  const CommandFacts& rule = command.rule();
  if (!rule.defined() || !rule.supported || !command.number.has_digits) return std::string();
  if (rule.data == DataKind::kMessage) {
    return CutTo(Format("%s.%s", command.Field(0).c_str(), kMessageSuffix),
                 capacity::kSectionName);
  }
  if (rule.data == DataKind::kIdList) return command.Field(0);
  if (rule.form == ParamForm::kData || (rule.form == ParamForm::kInlineOrData && !command.Inline()))
    return command.Field(0);
  return std::string();
}

void ScriptModel::GatherFacts() {
  if (const ScriptSection* variables = script_.Find(script_key::kVariables)) {
    for (const SectionLine& line : variables->lines) {
      if (line.has_equals && IsVariableKey(line.key)) variables_set_.insert(VariableNumber(line.key));
    }
  }
  for (const CommandSection& section : command_sections_) {
    for (const CommandLine& command : section.commands) {
      switch (command.rule().effect) {
        case Effect::kReadsLanguageData: reads_language_data_ = true; break;
        case Effect::kAppendsFile: appends_ = true; break;
        case Effect::kSetsValues:
          for (const ValueWrite& write : ValueWrites(command)) NoteValueWrite(write);
          break;
        case Effect::kSetsVariables:
          for (const VariableWrite& write : VariableWrites(command)) {
            if (write.name_expanded && HasToken(write.name)) {
              variables_unknown_ = true;
            } else if (IsVariableKey(write.name)) {
              variables_set_.insert(VariableNumber(write.name));
            }
          }
          break;
        default: break;
      }
      for (const std::string& field : command.fields) {
        for (const Token& token : ScanTokens(field)) {
          if (token.kind == TokenKind::kBuiltIn && token.number == kTempFileVariable) {
            variables_set_.insert(kTempFileVariable);
          }
        }
      }
    }
  }
}

void ScriptModel::NoteValueWrite(const ValueWrite& write) {
  if (HasToken(write.section) || HasToken(write.key)) {
    variables_unknown_ = true;
    counts_unknown_ = true;
    return;
  }
  Use(write.section);
  if (EqualsIgnoreCase(write.section, script_key::kVariables) && IsVariableKey(write.key)) {
    variables_set_.insert(VariableNumber(write.key));
  }
  if (EqualsIgnoreCase(write.section, script_key::kData)) {
    count_writes_[FoldName(write.key)].push_back(write.value);
  }
}

void ScriptModel::Use(std::string_view name) { used_.insert(FoldName(name)); }

bool ScriptModel::IsUsed(std::string_view name) const { return used_.count(FoldName(name)) != 0; }

bool ScriptModel::IsKeyed(std::string_view name) const {
  return keyed_.count(FoldName(name)) != 0;
}

bool ScriptModel::VariableSet(int number) const { return variables_set_.count(number) != 0; }

const std::vector<std::string>& ScriptModel::CountWrites(std::string_view key) const {
  static const std::vector<std::string> none;
  const auto writes = count_writes_.find(FoldName(key));
  return writes != count_writes_.end() ? writes->second : none;
}

bool ScriptModel::Brings(std::string_view name) const {
  return appended_.names.count(profile::FoldName(name)) != 0;
}

}  // namespace velsetup::check
