#include "check/flow_pass.h"

#include <algorithm>

#include "check/command_rules.h"
#include "check/variable_tokens.h"
#include "engine/script_keys.h"
#include "engine/text_format.h"

namespace velsetup::check {

void FlowPass::CheckTargets(const CommandSection& from, const CommandLine& command) {
  for (const Target& target : model_.TargetsOf(command)) CheckTarget(from, target);
}

void FlowPass::CheckTarget(const CommandSection& from, const Target& target) {
  if (target.name.empty()) {
    if (!target.empty_allowed) {
      found_.Error(target.line, Rule::kTargetNamesNothing,
                   Concat(target.what,
                          " names no section: when it is chosen the run "
                          "shows \"An internal error has occured\""));
    }
    return;
  }
  const std::string consequence = target.reports_box
                                      ? "the run shows \"An internal error has occured\" there"
                                      : "the run ends where that section should start";
  if (target.expanded && HasToken(target.name)) {
    CheckTokens(target.line, target.name, true, target.what);
    const NamePattern pattern = PatternOf(target.name);
    const auto& sections = script_.sections();
    const bool any = !pattern.any_literal ||
                     std::any_of(sections.begin(), sections.end(), [&](const ScriptSection& s) {
                       return Matches(pattern, s.name) && !s.empty();
                     });
    if (!any)
      MissingSection(target.line, Rule::kTargetMissing,
                     Concat(target.what, " names ", Quoted(target.name),
                            ", which no section of the script matches: ", consequence),
                     std::string_view());
    return;
  }
  if (HasToken(target.name)) {
    found_.Warning(target.line, Rule::kNotExpanded,
                   Concat("variables are not expanded in the section names of ", target.what, ": ",
                          Quoted(target.name), " is looked up as written"));
  }
  const ScriptSection* section = script_.Find(target.name);
  if (section == nullptr) {
    MissingSection(target.line, Rule::kTargetMissing,
                   Concat(target.what, " names ", Bracketed(target.name),
                          ", which the script does not have: ", consequence),
                   target.name);
  } else if (section->empty()) {
    found_.Error(
        target.line, Rule::kTargetEmpty,
        Concat(target.what, " names ", Bracketed(target.name), ", which is empty: ", consequence));
  } else if (from.section != nullptr && target.reports_box &&
             EqualsIgnoreCase(section->name, from.section->name)) {
    found_.Warning(target.line, Rule::kTargetOwnSection,
                   Concat(target.what, " names its own section ", Bracketed(section->name),
                          ": the run ends at the section's end instead of starting "
                          "it again"));
  }
}

void FlowPass::CheckCourse(const CommandSection& section, const CommandLine& command) {
  if (section_ != &section) {
    section_ = &section;
    jumps_forward_ = false;
  }
  const std::vector<CommandLine>& commands = section.commands;
  const bool last = command.index + 1 == commands.size();
  if (!last && command.rule().course == Course::kEndsSection && !jumps_forward_) {
    const CommandLine& next = commands[command.index + 1];
    // The next section is expanded from the slot of that command 0 on, so
    // these lines run after it only where it is shorter than they are.
    found_.Warning(next.line, Rule::kAfterCommandZero,
                   Concat("not run with its section: line ", std::to_string(command.line),
                          " ends the section (it reads as command 0); this line and those "
                          "after it stay in their slots and run after a shorter next section"));
  }
  if (!last && IsBranch(command) &&
      commands[command.index + 1].rule().course != Course::kEndsSection) {
    found_.Warning(command.line, Rule::kAfterBranch,
                   Concat("the commands after this ", ShortName(command.Number()),
                          " still run: the section it chooses starts only when ",
                          Bracketed(section.section->name), " ends"));
  }
  if (command.rule().course == Course::kMovesBack) CheckMoveBack(section, command);
  if (command.rule().course == Course::kMovesForward) {
    CheckSkip(section, command);
    jumps_forward_ = true;
  }
}

// The counts the script can give CMD06 or CMD07: the [DATA] value and every
// value a CMD26 writes there; nothing known when one is a variable.
std::vector<int32_t> FlowPass::CountsOf(const char* key, bool* unknown,
                                        std::string* written) const {
  std::vector<int32_t> counts;
  *unknown = model_.counts_unknown();
  if (const ScriptSection* data = script_.Find(script_key::kData)) {
    if (const auto value = script_.Key(*data, key)) {
      counts.push_back(ReadIntValue(value->value, 0));
      *written = Concat("is ", Quoted(value->value));
    }
  }
  for (const std::string& value : model_.CountWrites(key)) {
    if (HasToken(value))
      *unknown = true;
    else
      counts.push_back(ReadIntValue(value, 0));
  }
  if (written->empty()) *written = "is missing";
  if (counts.empty()) counts.push_back(0);
  std::sort(counts.begin(), counts.end());
  counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
  return counts;
}

// Positive counts; an error when there is none and none can come.
std::vector<int32_t> FlowPass::PositiveCounts(const CommandLine& command) {
  const char* key = command.rule().count_key;
  bool unknown = false;
  std::string written;
  std::vector<int32_t> counts = CountsOf(key, &unknown, &written);
  counts.erase(std::remove_if(counts.begin(), counts.end(), [](int32_t n) { return n < 1; }),
               counts.end());
  if (counts.empty() && !unknown) {
    found_.Error(command.line, Rule::kMoveWithoutCount,
                 Concat(ShortName(command.Number()), " does nothing: [DATA] ", key, " ", written,
                        ", and it moves only by a count of 1 or more"));
  }
  return counts;
}

// What ends a loop that CMD06 makes: a command that ends the section or the
// run, a CMD07 that jumps past the CMD06, or a CMD26 that changes the count
// of CMD06. A branch or a message box does not: the section it picks starts
// only when the section ends, which the loop never reaches. Neither does
// CMD05: it changes [DATA], but only RunCount, which no command tests.
bool FlowPass::EndsLoop(const CommandLine& command, size_t move_back_at) const {
  const CommandFacts& facts = command.rule();
  if (facts.result_ends_run()) return true;
  if (facts.course == Course::kMovesForward) {
    bool unknown = false;
    std::string written;
    for (int32_t n : CountsOf(facts.count_key, &unknown, &written)) {
      if (n > 0 && command.index + static_cast<size_t>(n) + 1 > move_back_at) return true;
    }
    return unknown;
  }
  if (facts.effect == Effect::kSetsValues) {
    const char* back_count = FactsOf(section_->commands[move_back_at].Number()).count_key;
    for (const ValueWrite& write : model_.ValueWrites(command)) {
      if (HasToken(write.section) || HasToken(write.key)) return true;
      if (EqualsIgnoreCase(write.section, script_key::kData) &&
          EqualsIgnoreCase(write.key, back_count)) {
        return true;
      }
    }
  }
  return false;
}

void FlowPass::CheckMoveBack(const CommandSection& section, const CommandLine& command) {
  for (int32_t n : PositiveCounts(command)) {
    const size_t back = static_cast<size_t>(n);
    if (back > command.index) {
      found_.Warning(command.line, Rule::kMoveOutOfSection,
                     Concat("CMD06 moves back ", std::to_string(n), " commands but only ",
                            std::to_string(command.index), " come before it in ",
                            Bracketed(section.section->name),
                            ": the run goes on in a slot before the section's first command"));
      continue;
    }
    const size_t first = command.index - back;
    bool ends = false;
    for (size_t i = first; i < command.index && !ends; ++i) {
      ends = EndsLoop(section.commands[i], command.index);
    }
    if (!ends) {
      found_.Error(command.line, Rule::kEndlessLoop,
                   Concat("CMD06 moves back to line ", std::to_string(section.commands[first].line),
                          " and nothing in between ends the loop, so it repeats for ever (it "
                          "takes a command 0, 8, 10, 20 or 29, a CMD07 past it, or a CMD26 "
                          "that changes [DATA] DecCommand)"));
    }
  }
}

void FlowPass::CheckSkip(const CommandSection& section, const CommandLine& command) {
  const size_t after = section.commands.size() - command.index - 1;
  for (int32_t n : PositiveCounts(command)) {
    if (static_cast<size_t>(n) > after) {
      found_.Warning(command.line, Rule::kMoveOutOfSection,
                     Concat("CMD07 skips ", std::to_string(n), " commands but only ",
                            std::to_string(after), " follow it: the section ends there"));
    }
  }
}

}  // namespace velsetup::check
