#include "check/script_checker.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/command_line.h"
#include "check/command_rules.h"
#include "check/script_text.h"
#include "check/variable_tokens.h"
#include "commands/registry_edit_line.h"
#include "engine/script_keys.h"
#include "engine/run_state.h"
#include "engine/script_lines.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

namespace {

using profile::FoldName;
using profile::TrimProfileBlanks;

bool IsBlank(char c) { return IsCleaningWhitespace(c); }

// A ';' that looks like part of a value ("a;b") where the engine cuts the
// line there. Gives the text that is lost.
bool CutBySemicolon(std::string_view raw, std::string* lost) {
  const size_t start = raw.find_first_not_of(" \t");
  const size_t semicolon = raw.find(';', start == std::string_view::npos ? 0 : start);
  if (semicolon == std::string_view::npos || semicolon == 0 || IsBlank(raw[semicolon - 1])) {
    return false;
  }
  *lost = TrimBlanks(raw.substr(semicolon + 1));
  return !lost->empty();
}

// A " ; note" inside a text that nothing cuts: it looks like a comment and
// stays part of the value.
bool KeepsComment(std::string_view text) {
  for (size_t i = text.find(';'); i != std::string_view::npos; i = text.find(';', i + 1)) {
    if (i > 0 && IsBlank(text[i - 1])) return true;
  }
  return false;
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

bool IsFlag(std::string_view text) {
  return EqualsIgnoreCase(text, "TRUE") || EqualsIgnoreCase(text, "FALSE");
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether some 16-bit system ID is written this way in an ID list: "0x" and
// 2 to 4 hexadecimal digits, 1 to 4 digits without the prefix, or a decimal
// number (the forms the list lookup compares with).
bool SpellsSystemId(std::string_view text) {
  const auto all_hex = [](std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(), IsHex);
  };
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::string_view digits = text.substr(2);
    return digits.size() >= 2 && digits.size() <= 4 && all_hex(digits);
  }
  if (!text.empty() && text.size() <= 4 && all_hex(text)) return true;
  if (text.size() != 5 || text[0] == '0') return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  return ReadDecimal(text) <= 0xFFFF;
}

std::string Quoted(std::string_view text) { return Concat("'", text, "'"); }
std::string Bracketed(std::string_view name) { return Concat("[", name, "]"); }

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

// ---------------------------------------------------------------------------

class Checker {
 public:
  explicit Checker(const ScriptText& script) : script_(script) {}

  Diagnostics Run() {
    CheckLayout();
    Traverse();
    GatherFacts();
    for (const CommandSection& section : command_sections_) CheckCommandSection(section);
    CheckKnownSections();
    CheckUnused();
    return std::move(found_);
  }

 private:
  // --- which sections run

  void Traverse() {
    const ScriptSection* list = script_.Find(script_key::kCommandsList);
    if (list == nullptr) {
      found_.Error(1, "the script has no [CommandsList]: a run has nowhere to start");
    } else if (list->empty()) {
      found_.Error(list->header_line, "[CommandsList] is empty: a run stops at once");
    } else {
      Reach(*list);
    }
    for (const Target& target : StateTargets()) ReachTarget(target);
    while (!pending_.empty()) {
      const ScriptSection* section = pending_.front();
      pending_.pop_front();
      CommandSection expanded;
      expanded.section = section;
      for (const SectionLine& line : section->lines) {
        CommandLine command;
        if (!ReadCommandLine(line, &command)) continue;
        command.index = expanded.commands.size();
        expanded.commands.push_back(std::move(command));
      }
      for (const CommandLine& command : expanded.commands) {
        for (const Target& target : TargetsOf(command)) ReachTarget(target);
      }
      command_sections_.push_back(std::move(expanded));
    }
  }

  void Reach(const ScriptSection& section) {
    if (!reached_.insert(FoldName(section.name)).second) return;
    Use(section.name);
    pending_.push_back(&section);
  }

  void ReachTarget(const Target& target) {
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
  std::vector<Target> StateTargets() const {
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

  std::vector<Target> TargetsOf(const CommandLine& command) const {
    std::vector<Target> targets;
    const CommandFacts& rule = command.rule();
    const std::string name = ShortName(command.Number());
    if (rule.course == Course::kBranches) {
      for (const FieldFact& field : rule.fields()) {
        if (field.role != FieldRole::kTarget) continue;
        const size_t i = static_cast<size_t>(field.index);
        const std::string what =
            field.outcome != nullptr ? Concat(name, " for ", field.outcome) : name;
        targets.push_back({command.line, command.Field(i), field.expanded, false, what, true});
      }
    }
    if (rule.course == Course::kAsks) {
      const int32_t type = BoxType(command);
      // The buttons in the order of the fields their answers pick.
      const char* const buttons[] = {type == 2 ? "OK" : "Yes", type == 2 ? "Cancel" : "No",
                                     "Cancel"};
      for (int field : AnswerFields(type)) {
        targets.push_back({command.line, command.Field(static_cast<size_t>(field)), false, true,
                           Concat("CMD17 for the answer ", buttons[field - 2]), false});
      }
    }
    if (rule.effect == Effect::kSetsValues) {
      for (const ValueWrite& write : ValueWrites(command)) {
        if (EqualsIgnoreCase(write.section, script_key::kState) &&
            EqualsIgnoreCase(write.key, script_key::kNextSection)) {
          targets.push_back(
              {write.line, write.value, true, true, "CMD26 as [State] NextSection", false});
        }
      }
    }
    return targets;
  }

  static int32_t BoxType(const CommandLine& command) { return ReadIntValue(command.Field(1), 1); }

  // --- what the running commands set

  // The values a CMD26 writes, one per inline command or valid data line.
  std::vector<ValueWrite> ValueWrites(const CommandLine& command) const {
    std::vector<ValueWrite> writes;
    if (command.Inline()) {
      writes.push_back({command.line, command.Field(1), command.Field(2), command.Field(3)});
      return writes;
    }
    const ScriptSection* data = script_.Find(command.Field(0));
    if (data == nullptr) return writes;
    for (const SectionLine& line : data->lines) {
      ValueLine parts;
      if (ReadValueLine(line.text, &parts) != LineVerdict::kTaken) continue;
      writes.push_back({line.line, TrimBlanks(parts.section), TrimBlanks(parts.key),
                        TrimBlanks(parts.value)});
    }
    return writes;
  }

  std::vector<VariableWrite> VariableWrites(const CommandLine& command) const {
    std::vector<VariableWrite> writes;
    if (command.Inline()) {
      writes.push_back({command.line, command.Field(1), false});
      return writes;
    }
    const ScriptSection* data = script_.Find(command.Field(0));
    if (data == nullptr) return writes;
    for (const SectionLine& line : data->lines) {
      NameValueLine parts;
      if (ReadNameValueLine(line.text, &parts) != LineVerdict::kTaken) continue;
      writes.push_back({line.line, TrimBlanks(parts.name), true});
    }
    return writes;
  }

  void GatherFacts() {
    if (const ScriptSection* variables = script_.Find(script_key::kVariables)) {
      for (const SectionLine& line : variables->lines) {
        if (line.has_equals && IsVariableKey(line.key))
          variables_set_.insert(VariableNumber(line.key));
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

  void NoteValueWrite(const ValueWrite& write) {
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

  // --- the checks of one command section

  void CheckCommandSection(const CommandSection& section) {
    const std::vector<CommandLine>& commands = section.commands;
    bool jumps_forward = false;
    for (const CommandLine& command : commands) {
      CheckCommand(section, command);
      const bool last = command.index + 1 == commands.size();
      if (!last && command.rule().course == Course::kEndsSection && !jumps_forward) {
        const CommandLine& next = commands[command.index + 1];
        // The next section is expanded from the slot of that command 0 on, so
        // these lines run after it only where it is shorter than they are.
        found_.Warning(next.line,
                       Concat("not run with its section: line ", std::to_string(command.line),
                              " ends the section (it reads as command 0); this line and those "
                              "after it stay in their slots and run after a shorter next section"));
      }
      if (!last && IsBranch(command) &&
          commands[command.index + 1].rule().course != Course::kEndsSection) {
        found_.Warning(command.line, Concat("the commands after this ", ShortName(command.Number()),
                                            " still run: the section it chooses starts only when ",
                                            Bracketed(section.section->name), " ends"));
      }
      if (command.rule().course == Course::kMovesBack) CheckMoveBack(section, command);
      if (command.rule().course == Course::kMovesForward) {
        CheckSkip(section, command);
        jumps_forward = true;
      }
    }
  }

  static bool IsBranch(const CommandLine& command) {
    if (command.rule().course == Course::kAsks) return !AnswerFields(BoxType(command)).empty();
    return command.rule().course == Course::kBranches;
  }

  void CheckCommand(const CommandSection& section, const CommandLine& command) {
    if (!command.number.has_digits) {
      found_.Error(command.line, Concat(Quoted(command.number_text),
                                        " is not a command number: the line reads as command 0 "
                                        "and ends the section"));
      return;
    }
    const CommandFacts& rule = command.rule();
    if (!command.number.plain) {
      found_.Warning(command.line,
                     Concat("the command number ", Quoted(command.number_text), " reads as ",
                            std::to_string(static_cast<int32_t>(command.Number()))));
    }
    std::string lost;
    if (CutBySemicolon(command.raw, &lost)) {
      found_.Warning(command.line, Concat("';' starts a comment here: ", Quoted(lost),
                                          " is not part of the command"));
    }
    if (!rule.defined()) {
      found_.Error(command.line, Concat("there is no command ",
                                        std::to_string(static_cast<int32_t>(command.Number())),
                                        ": the tool logs it as not defined and goes on"));
      return;
    }
    if (!rule.supported) {
      found_.Warning(command.line,
                     Concat(command.rule().name,
                            " is not supported: the tool only logs \"Not Supported yet.\""));
      return;
    }
    CheckFieldCount(command);
    CheckFields(section, command);
    CheckDataSection(command);
  }

  void CheckFieldCount(const CommandLine& command) {
    const CommandFacts& rule = command.rule();
    int read = FieldsRead(rule, command.Inline());
    if (rule.course == Course::kAsks) {
      const std::vector<int> answers = AnswerFields(BoxType(command));
      if (!answers.empty()) read = answers.back() + 1;
      if (answers.empty() && command.fields.size() > 2) {
        found_.Warning(command.line,
                       Concat("a CMD17 box of type ", std::to_string(BoxType(command)),
                              " asks nothing: the sections after its 2nd field are never used"));
        return;
      }
    }
    if (static_cast<int>(command.fields.size()) <= read) return;
    if (read == 0) {
      found_.Warning(command.line, Concat(ShortName(command.Number()), " takes no fields: ",
                                          Quoted(command.After(1)), " is ignored"));
      return;
    }
    found_.Warning(command.line,
                   Concat(ShortName(command.Number()), " reads ", std::to_string(read),
                          read == 1 ? " field" : " fields", ": ", Quoted(command.After(read + 1)),
                          " after the next comma is ignored (a ',' inside a value splits it)"));
  }

  void CheckFields(const CommandSection& section, const CommandLine& command) {
    const CommandFacts& rule = command.rule();
    const std::string name = ShortName(command.Number());
    const bool inline_form = command.Inline();
    for (const FieldFact& field : rule.fields()) {
      if (field.form == FieldForm::kInlineOnly && !inline_form) continue;
      const std::string value = command.Field(static_cast<size_t>(field.index));
      const std::string where = Concat("field ", std::to_string(field.index), " of ", name);
      if (field.role == FieldRole::kAnswerTarget) continue;  // checked as targets
      if (field.role == FieldRole::kTarget) continue;
      if (value.empty()) {
        if (field.required && field.role != FieldRole::kDataSection) {
          found_.Error(command.line, Concat(name, " needs ", Noun(field.role), " in field ",
                                            std::to_string(field.index)));
        }
        continue;
      }
      CheckValue(command.line, value, field.role, field.expanded, where, name);
    }
    for (const Target& target : TargetsOf(command)) CheckTarget(section, target);
  }

  static const char* Noun(FieldRole role) {
    switch (role) {
      case FieldRole::kPath: return "a path";
      case FieldRole::kCommandLine: return "a program";
      case FieldRole::kVariableName: return "a variable name";
      case FieldRole::kNumber: return "a number";
      case FieldRole::kDataSection: return "a section name";
      default: return "a value";
    }
  }

  // A field or key value the command uses, by what it is to the command.
  void CheckValue(int line, const std::string& value, FieldRole role, bool expanded,
                  const std::string& where, const std::string& command) {
    CheckTokens(line, value, expanded, where);
    switch (role) {
      case FieldRole::kPath:
        if (HasWildcard(value)) {
          found_.Error(line, Concat(Quoted(value), " in ", where, " holds a wild card, which ",
                                    command, " does not expand: no file has that name"));
        }
        break;
      case FieldRole::kFlag:
        if (!IsFlag(value)) {
          found_.Warning(line, Concat(Quoted(value), " in ", where,
                                      " is neither TRUE nor FALSE: only TRUE counts as true"));
        }
        break;
      case FieldRole::kNumber: {
        // Read as atoi reads: a text that does not start with digits is 0.
        const size_t start = value.find_first_not_of(" \t+-");
        if (start == std::string::npos || value[start] < '0' || value[start] > '9') {
          found_.Warning(line,
                         Concat(Quoted(value), " in ", where, " is not a number: it reads as 0"));
        } else if (ReadDecimal(value) < 0) {
          found_.Warning(line, Concat(where, " is negative: ", Quoted(value)));
        }
        break;
      }
      case FieldRole::kVariableName:
        if (!IsVariableKey(value)) {
          found_.Warning(line, Concat(command, " sets ", Quoted(value),
                                      ", which the expansion never reads: only V000 to V999 are "
                                      "variables"));
        }
        break;
      default: break;
    }
  }

  void CheckTokens(int line, std::string_view text, bool expanded, const std::string& where) {
    if (!HasToken(text)) return;
    if (!expanded) {
      found_.Warning(line, Concat("variables are not expanded in ", where, ": ", Quoted(text),
                                  " is used as written"));
      return;
    }
    for (const Token& token : ScanTokens(text)) {
      switch (token.kind) {
        case TokenKind::kCutShort:
          found_.Error(line, Concat(Quoted(token.text),
                                    " is cut short by the end of the text: it names no variable"));
          continue;
        case TokenKind::kBadClass:
          found_.Error(line, Concat(Quoted(token.text),
                                    " is no variable (the letter after ~% must be C or V): the "
                                    "expansion stops there and leaves the rest as written"));
          continue;
        default: break;
      }
      if (!token.three_digits) {
        found_.Warning(line, Concat("the number of ", Quoted(token.text), " reads as ",
                                    std::to_string(token.number),
                                    ": a token takes the three characters after its letter"));
      }
      if (!token.names_variable) {
        found_.Error(line, Concat(Quoted(token.text), " names no variable",
                                  token.kind == TokenKind::kBuiltIn
                                      ? " (the built-ins are ~%C000, ~%C001, ~%C101 to ~%C105)"
                                      : ""));
        continue;
      }
      if (token.kind == TokenKind::kBuiltIn && token.number == kTempFileVariable &&
          token.position + token.text.size() < text.size()) {
        found_.Warning(line,
                       Concat(Quoted(token.text), " drops the rest of the text: ",
                              Quoted(text.substr(token.position + token.text.size())), " is lost"));
      }
      if (token.kind == TokenKind::kScriptVariable && !variables_unknown_ &&
          variables_set_.count(token.number) == 0) {
        const std::string key = Format("V%03d", token.number);
        found_.Warning(line, Concat(key, " is never set ([Variables] has no ", key,
                                    " and no command sets it): ", Quoted(token.text),
                                    " expands to the empty text"));
      }
    }
  }

  void CheckTarget(const CommandSection& from, const Target& target) {
    if (target.name.empty()) {
      if (!target.empty_allowed) {
        found_.Error(target.line, Concat(target.what,
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
        MissingSection(target.line,
                       Concat(target.what, " names ", Quoted(target.name),
                              ", which no section of the script matches: ", consequence));
      return;
    }
    if (HasToken(target.name)) {
      found_.Warning(target.line,
                     Concat("variables are not expanded in the section names of ", target.what,
                            ": ", Quoted(target.name), " is looked up as written"));
    }
    const ScriptSection* section = script_.Find(target.name);
    if (section == nullptr) {
      MissingSection(target.line, Concat(target.what, " names ", Bracketed(target.name),
                                         ", which the script does not have: ", consequence));
    } else if (section->empty()) {
      found_.Error(target.line, Concat(target.what, " names ", Bracketed(target.name),
                                       ", which is empty: ", consequence));
    } else if (from.section != nullptr && target.reports_box &&
               EqualsIgnoreCase(section->name, from.section->name)) {
      found_.Warning(target.line,
                     Concat(target.what, " names its own section ", Bracketed(section->name),
                            ": the run ends at the section's end instead of starting "
                            "it again"));
    }
  }

  // A section the script lacks may come with the file a CMD28 appends.
  void MissingSection(int line, const std::string& message) {
    if (appends_) {
      found_.Warning(line, message + " (unless the file CMD28 appends brings it)");
    } else {
      found_.Error(line, message);
    }
  }

  // --- CMD06 and CMD07

  // The counts the script can give CMD06 or CMD07: the [DATA] value and
  // every value a CMD26 writes there; nothing known when one is a variable.
  std::vector<int32_t> CountsOf(const char* key, bool* unknown, std::string* written) const {
    std::vector<int32_t> counts;
    *unknown = counts_unknown_;
    if (const ScriptSection* data = script_.Find(script_key::kData)) {
      if (const auto value = script_.Key(*data, key)) {
        counts.push_back(ReadIntValue(value->value, 0));
        *written = Concat("is ", Quoted(value->value));
      }
    }
    const auto writes = count_writes_.find(FoldName(key));
    if (writes != count_writes_.end()) {
      for (const std::string& value : writes->second) {
        if (HasToken(value))
          *unknown = true;
        else
          counts.push_back(ReadIntValue(value, 0));
      }
    }
    if (written->empty()) *written = "is missing";
    if (counts.empty()) counts.push_back(0);
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    return counts;
  }

  // Positive counts; an error when there is none and none can come.
  std::vector<int32_t> PositiveCounts(const CommandLine& command) {
    const char* key = command.rule().count_key;
    bool unknown = false;
    std::string written;
    std::vector<int32_t> counts = CountsOf(key, &unknown, &written);
    counts.erase(std::remove_if(counts.begin(), counts.end(), [](int32_t n) { return n < 1; }),
                 counts.end());
    if (counts.empty() && !unknown) {
      found_.Error(command.line,
                   Concat(ShortName(command.Number()), " does nothing: [DATA] ", key, " ", written,
                          ", and it moves only by a count of 1 or more"));
    }
    return counts;
  }

  // What ends a loop that CMD06 makes: a command that ends the section or
  // the run, a CMD07 that jumps past the CMD06, or a CMD26 that changes
  // [DATA] DecCommand. A branch or a message box does not: the section it
  // picks starts only when the section ends, which the loop never reaches.
  // Neither does CMD05: it changes [DATA], but only RunCount, which no
  // command tests.
  bool EndsLoop(const CommandLine& command, size_t move_back_at) {
    if (command.rule().result_ends_run()) return true;
    if (command.rule().course == Course::kMovesForward) {
      bool unknown = false;
      std::string written;
      for (int32_t n : CountsOf("IncCommand", &unknown, &written)) {
        if (n > 0 && command.index + static_cast<size_t>(n) + 1 > move_back_at) return true;
      }
      return unknown;
    }
    if (command.rule().effect == Effect::kSetsValues) {
      for (const ValueWrite& write : ValueWrites(command)) {
        if (HasToken(write.section) || HasToken(write.key)) return true;
        if (EqualsIgnoreCase(write.section, script_key::kData) &&
            EqualsIgnoreCase(write.key, "DecCommand")) {
          return true;
        }
      }
    }
    return false;
  }

  void CheckMoveBack(const CommandSection& section, const CommandLine& command) {
    for (int32_t n : PositiveCounts(command)) {
      const size_t back = static_cast<size_t>(n);
      if (back > command.index) {
        found_.Warning(command.line,
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
        found_.Error(
            command.line,
            Concat("CMD06 moves back to line ", std::to_string(section.commands[first].line),
                   " and nothing in between ends the loop, so it repeats for ever (it "
                   "takes a command 0, 8, 10, 20 or 29, a CMD07 past it, or a CMD26 "
                   "that changes [DATA] DecCommand)"));
      }
    }
  }

  void CheckSkip(const CommandSection& section, const CommandLine& command) {
    const size_t after = section.commands.size() - command.index - 1;
    for (int32_t n : PositiveCounts(command)) {
      if (static_cast<size_t>(n) > after) {
        found_.Warning(command.line,
                       Concat("CMD07 skips ", std::to_string(n), " commands but only ",
                              std::to_string(after), " follow it: the section ends there"));
      }
    }
  }

  // --- data sections

  void CheckDataSection(const CommandLine& command) {
    const CommandFacts& rule = command.rule();
    const std::string name = ShortName(command.Number());
    if (rule.data == DataKind::kMessage) return CheckMessageSection(command);
    if (rule.data == DataKind::kIdList) return CheckIdList(command);
    if (rule.form != ParamForm::kData &&
        !(rule.form == ParamForm::kInlineOrData && !command.Inline())) {
      return;
    }
    const std::string section_name = command.Field(0);
    if (section_name.empty()) {
      found_.Error(command.line, Concat(name, " needs the name of its data section in field 0"));
      return;
    }
    const ScriptSection* data = FindData(command.line, section_name, name);
    if (data == nullptr) return;
    for (const SectionLine& line : data->lines) CheckDataLine(command, *data, line);
    // These commands skip no comment line of their own.
    if (rule.data == DataKind::kRegistryEdits || rule.data == DataKind::kPaths) {
      for (const SectionLine& comment : data->comment_lines) {
        found_.Warning(comment.line,
                       Concat("a comment line in the list of ", name,
                              ": where the section read passes comment lines on, ", name,
                              rule.data == DataKind::kRegistryEdits
                                  ? " takes it for an edit line and stops there"
                                  : " takes it for a path"));
      }
    }
    if (rule.data == DataKind::kKeys) CheckKeys(command, *data);
  }

  // The data section a command names; null after reporting it missing or empty.
  const ScriptSection* FindData(int line, const std::string& section_name,
                                const std::string& name) {
    if (HasToken(section_name)) {
      found_.Warning(line, Concat("variables are not expanded in the data section name of ", name,
                                  ": ", Quoted(section_name), " is looked up as written"));
    }
    Use(section_name);
    const ScriptSection* data = script_.Find(section_name);
    if (data == nullptr) {
      MissingSection(line, Concat(name, " reads the data section ", Bracketed(section_name),
                                  ", which the script does not have"));
      return nullptr;
    }
    if (data->empty()) {
      found_.Error(line, Concat(name, " reads the data section ", Bracketed(data->name),
                                ", which is empty: the command does nothing"));
      return nullptr;
    }
    return data;
  }

  void CheckMessageSection(const CommandLine& command) {
    const std::string section_name =
        CutTo(Format("%s.%s", command.Field(0).c_str(), kMessageSuffix), capacity::kSectionName);
    const ScriptSection* message = FindData(command.line, section_name, "CMD17");
    if (message == nullptr) return;
    keyed_.insert(FoldName(message->name));
    if (!script_.Key(*message, "Message1")) {
      found_.Warning(message->header_line,
                     Concat(Bracketed(message->name), " has no Message1: the box shows no text"));
    }
    for (const SectionLine& line : message->lines) {
      if (HasToken(line.value)) {
        found_.Warning(line.line, Concat("variables are not expanded in message boxes: ",
                                         Quoted(line.value), " is shown as written"));
      }
    }
  }

  void CheckIdList(const CommandLine& command) {
    const std::string list = command.Field(0);
    if (list.empty()) {
      found_.Error(command.line, "CMD25 needs the name of its ID list in field 0");
      return;
    }
    const ScriptSection* ids = FindData(command.line, list, "CMD25");
    if (ids == nullptr) return;
    for (const SectionLine& line : ids->lines) {
      const std::string id = TrimBlanks(line.text);
      if (!SpellsSystemId(id)) {
        found_.Warning(line.line, Concat(Quoted(id),
                                         " spells no system ID (write 0x and 2 to 4 "
                                         "hexadecimal digits, or a decimal number)"));
      }
    }
  }

  void CheckDataLine(const CommandLine& command, const ScriptSection& data,
                     const SectionLine& line) {
    const CommandFacts& rule = command.rule();
    const std::string name = ShortName(command.Number());
    const std::string& text = line.text;
    const std::string in_line = Concat("a data line of ", name);
    switch (rule.data) {
      case DataKind::kPairs: {
        PathPair pair;
        switch (ReadPathPair(text, &pair)) {
          case LineVerdict::kTaken: break;
          case LineVerdict::kNoComma:
            found_.Error(line.line, Concat("no comma between source and destination: ", name,
                                           " skips the line"));
            return;
          case LineVerdict::kNoSource:
          case LineVerdict::kNoDestination:
            found_.Error(line.line, Concat("the ", pair.source.empty() ? "source" : "destination",
                                           " is missing: ", name, " skips the line"));
            return;
          default: return;
        }
        if (pair.source.find('*') != std::string::npos) {
          found_.Error(line.line, Concat(name, " refuses wild cards: it skips the line"));
          return;
        }
        std::string lost;
        if (CutBySemicolon(text.substr(text.find(',') + 1), &lost)) {
          found_.Warning(line.line, Concat("';' starts a comment in the destination: ",
                                           Quoted(lost), " is not part of it"));
        }
        CheckValue(line.line, pair.source, FieldRole::kPath, true, in_line, name);
        CheckValue(line.line, pair.destination, FieldRole::kPath, true, in_line, name);
        return;
      }
      case DataKind::kPaths:
        if (rule.refuses_wildcards_in_data && text.find('*') != std::string::npos) {
          found_.Error(line.line, Concat(name, " refuses wild cards: it skips the line"));
          return;
        }
        CheckKeptComment(line.line, text);
        CheckValue(line.line, text, FieldRole::kPath, true, in_line, name);
        return;
      case DataKind::kValues: return CheckValueLine(line);
      case DataKind::kVariables: return CheckVariableLine(line);
      case DataKind::kRegistryEdits: return CheckRegistryEdit(line);
      case DataKind::kKeys:
        if (!line.has_equals) {
          found_.Warning(line.line, Concat(Quoted(text), " has no '=': it sets no key of ",
                                           Bracketed(data.name)));
        }
        return;
      default: return;
    }
  }

  void CheckKeptComment(int line, std::string_view text) {
    if (KeepsComment(text)) {
      found_.Warning(line,
                     "';' starts no comment inside a value: the text after it stays part of it");
    }
  }

  void CheckValueLine(const SectionLine& line) {
    ValueLine parts;
    switch (ReadValueLine(line.text, &parts)) {
      case LineVerdict::kTaken: break;
      case LineVerdict::kNoComma:
      case LineVerdict::kNoSecondComma:
        found_.Error(line.line,
                     "CMD26 needs section,key,value: without its 2 commas the line is skipped");
        return;
      case LineVerdict::kNoSection:
      case LineVerdict::kNoKey:
        found_.Error(line.line,
                     Concat("the ", parts.section.empty() ? "section" : "key",
                            " is missing: CMD26 writes no value"));
        return;
      default: return;
    }
    const std::string section = TrimBlanks(parts.section);
    const std::string key = TrimBlanks(parts.key);
    if (section.empty() || key.empty()) {
      // Tested before it is trimmed, a part of blanks passes.
      found_.Warning(line.line, Concat("the ", section.empty() ? "section" : "key",
                                       " is only blanks: CMD26 writes the value under an "
                                       "empty ", section.empty() ? "section" : "key", " name"));
    }
    const std::string value = TrimBlanks(parts.value);
    CheckKeptComment(line.line, value);
    for (const std::string* field : {&section, &key, &value}) {
      CheckTokens(line.line, *field, true, "a data line of CMD26");
    }
  }

  void CheckVariableLine(const SectionLine& line) {
    NameValueLine parts;
    switch (ReadNameValueLine(line.text, &parts)) {
      case LineVerdict::kTaken: break;
      case LineVerdict::kNoComma:
        found_.Error(line.line, "CMD27 needs name,value: without the comma the line is skipped");
        return;
      case LineVerdict::kNoName:
        found_.Error(line.line, "the variable name is missing: CMD27 skips the line");
        return;
      default: return;
    }
    const std::string variable = TrimBlanks(parts.name);
    const std::string value = TrimBlanks(parts.value);
    CheckKeptComment(line.line, value);
    CheckTokens(line.line, value, true, "a data line of CMD27");
    if (HasToken(variable)) {
      CheckTokens(line.line, variable, true, "a data line of CMD27");
    } else {
      CheckValue(line.line, variable, FieldRole::kVariableName, true, "a data line", "CMD27");
    }
  }

  void CheckRegistryEdit(const SectionLine& line) {
    static const char* const kParts[] = {"", "root", "key", "value name", "data type", "data"};
    RegistryEditLine edit;
    const EditLineGap gap = ParseEditLine(line.text, &edit);
    if (gap != EditLineGap::kComplete) {
      found_.Error(line.line,
                   Concat("the line lacks the comma before its ", kParts[static_cast<int>(gap)],
                          ": CMD14 stops here and leaves the lines after it undone"));
      return;
    }
    if (edit.action < 1 || edit.action > 3) {
      found_.Error(line.line, Concat("action ", std::to_string(edit.action),
                                     " is none of 1 (set a value), 2 (delete a key tree), 3 "
                                     "(delete a value): CMD14 skips the line"));
    }
    RegistryKey root;
    if (!RootKeyOf(edit.root, &root)) {
      found_.Warning(line.line, Concat("the root ", Quoted(edit.root),
                                       " is none of HKCR, HKCC, HKCU, HKLM, HKU, HKPD, HKDD: the "
                                       "edit goes to HKEY_LOCAL_MACHINE"));
    }
    if (edit.action == 2 && TrimBlanks(edit.key).empty()) {
      found_.Error(line.line, "action 2 with no key names the root itself: CMD14 refuses it");
    }
    CheckKeptComment(line.line, line.text);
    CheckTokens(line.line, edit.key, false, "the key of a CMD14 line");
    CheckTokens(line.line, edit.value_name, true, "a CMD14 line");
    CheckTokens(line.line, edit.data, true, "a CMD14 line");
    if ((edit.type_code == 1 || edit.type_code == 2) && !HasToken(edit.data) &&
        !std::all_of(edit.data.begin(), edit.data.end(), IsHex)) {
      found_.Warning(line.line, Concat("the data ", Quoted(edit.data),
                                       " is not all hexadecimal digits: each other character "
                                       "stores as 0"));
    }
  }

  void CheckKeys(const CommandLine& command, const ScriptSection& data) {
    const CommandFacts& rule = command.rule();
    const std::string name = ShortName(command.Number());
    keyed_.insert(FoldName(data.name));
    std::string known;
    for (const KeyFact& key : rule.keys()) {
      known += known.empty() ? key.name : Concat(", ", key.name);
      const auto value = script_.Key(data, key.name);
      if (!value || value->value.empty()) {
        if (key.required) {
          found_.Error(data.header_line, Concat(Bracketed(data.name), " has no ", key.name, ": ",
                                                name, " has nothing to work on"));
        }
        continue;
      }
      CheckKeptComment(value->line, value->value);
      CheckValue(value->line, value->value, key.role, key.expanded, Concat(key.name, " of ", name),
                 name);
    }
    for (const SectionLine& line : data.lines) {
      if (!line.has_equals) continue;
      const bool read = std::any_of(rule.keys().begin(), rule.keys().end(), [&](const KeyFact& key) {
        return EqualsIgnoreCase(line.key, key.name);
      });
      if (!read) {
        found_.Warning(line.line, Concat(name, " does not read the key ", Quoted(line.key),
                                         " (it reads ", known, ")"));
      }
    }
    const Effect effect = rule.effect;
    if (effect == Effect::kSetsRegistryValue || effect == Effect::kDeletesRegistryValue ||
        effect == Effect::kDeletesRegistryKey) {
      CheckSingleRegistryValue(command, data);
    }
  }

  void CheckSingleRegistryValue(const CommandLine& command, const ScriptSection& data) {
    const std::string name = ShortName(command.Number());
    const auto hive = script_.Key(data, "RegHive");
    if (hive && HiveKeyOf(hive->value) == registry_key::kLocalMachine &&
        !EqualsIgnoreCase(hive->value, "HKEY_LOCAL_MACHINE")) {
      found_.Warning(hive->line, Concat("RegHive ", Quoted(hive->value),
                                        " is no full hive name (HKEY_CURRENT_USER, ...): ", name,
                                        " works below HKEY_LOCAL_MACHINE"));
    }
    const auto key = script_.Key(data, "RegKey");
    const Effect effect = command.rule().effect;
    if ((!key || key->value.empty()) && effect == Effect::kDeletesRegistryKey) {
      found_.Error(key ? key->line : data.header_line,
                   "CMD12 with no RegKey names the hive itself: the tool refuses it");
    }
    const auto type = script_.Key(data, "RegDataType");
    const int32_t type_code = type ? ReadIntValue(type->value, 0) : 0;
    if (effect == Effect::kSetsRegistryValue && (type_code == 1 || type_code == 2)) {
      found_.Warning(type->line,
                     Concat("CMD03 stores the characters of RegData as they are for type ",
                            std::to_string(type_code),
                            ", not the number or bytes they spell (CMD14 converts hexadecimal)"));
    }
  }

  // --- sections read by key, and the file as a whole

  void CheckLayout() {
    if (!script_.stray_lines().empty()) {
      found_.Warning(script_.stray_lines().front().line,
                     "lines before the first section header are never read");
    }
    for (const SectionLine& line : script_.broken_headers()) {
      found_.Warning(line.line, Concat(Quoted(line.text),
                                       " is no section header (it has no ']'): "
                                       "the line belongs to the section above"));
    }
    for (const ScriptSection& shadowed : script_.shadowed_sections()) {
      const ScriptSection* first = script_.Find(shadowed.name);
      found_.Warning(shadowed.header_line,
                     Concat(Bracketed(shadowed.name), " again: only the first one (line ",
                            std::to_string(first->header_line), ") is ever read"));
    }
  }

  void CheckKnownSections() {
    keyed_.insert(FoldName(script_key::kData));
    keyed_.insert(FoldName(script_key::kState));
    for (const ScriptSection& section : script_.sections()) {
      const std::string folded = FoldName(section.name);
      if (folded == FoldName(script_key::kVariables)) CheckVariables(section);
      if (keyed_.count(folded) != 0 || folded == FoldName(script_key::kVariables)) {
        CheckRepeatedKeys(section);
      }
    }
    const ScriptSection* data = script_.Find(script_key::kData);
    if (data == nullptr) return;
    const auto is_velmor = script_.Key(*data, script_key::kIsVelmor);
    const auto debug = script_.Key(*data, script_key::kDebug);
    if (is_velmor && debug && ReadIntValue(is_velmor->value, 0) != 0 &&
        ReadIntValue(debug->value, 0) != 0) {
      found_.Warning(debug->line,
                     "the debug override is on ([DATA] IsVelmor and Debug): CMD09 and "
                     "CMD25 take the maker's branch on every machine");
    }
  }

  void CheckVariables(const ScriptSection& variables) {
    for (const SectionLine& line : variables.lines) {
      if (!line.has_equals || !IsVariableKey(line.key)) {
        found_.Warning(line.line, Concat(Quoted(line.key),
                                         " in [Variables] is never read: only V000 "
                                         "to V999 are variables"));
        continue;
      }
      CheckKeptComment(line.line, line.value);
      CheckTokens(line.line, line.value, true, "[Variables]");
    }
  }

  void CheckRepeatedKeys(const ScriptSection& section) {
    std::map<std::string, int> first;
    for (const SectionLine& line : section.lines) {
      if (!line.has_equals) continue;
      const auto inserted = first.emplace(FoldName(line.key), line.line);
      if (!inserted.second) {
        found_.Warning(line.line,
                       Concat("the key ", Quoted(line.key), " again: only the first one (line ",
                              std::to_string(inserted.first->second), ") is read"));
      }
    }
  }

  void CheckUnused() {
    if (anything_reachable_) return;
    for (const char* owned :
         {script_key::kData, script_key::kVariables, script_key::kState, script_key::kCommands}) {
      Use(owned);
    }
    for (const ScriptSection& section : script_.sections()) {
      if (used_.count(FoldName(section.name)) != 0) continue;
      if (reads_language_data_ &&
          FoldName(section.name).compare(0, 5, FoldName(kLanguageDataPrefix)) == 0) {
        continue;
      }
      found_.Warning(section.header_line,
                     Concat(Bracketed(section.name),
                            " is never used: no branch, jump, message box or NextSection reaches "
                            "it, and no command reads it"));
    }
  }

  void Use(std::string_view name) { used_.insert(FoldName(name)); }

  const ScriptText& script_;
  Diagnostics found_;

  std::set<std::string> reached_;
  std::deque<const ScriptSection*> pending_;
  std::vector<CommandSection> command_sections_;
  bool anything_reachable_ = false;

  std::set<std::string> used_;
  std::set<std::string> keyed_;  // sections read key by key
  std::set<int> variables_set_;
  bool variables_unknown_ = false;
  std::map<std::string, std::vector<std::string>> count_writes_;  // [DATA] key -> values
  bool counts_unknown_ = false;
  bool appends_ = false;
  bool reads_language_data_ = false;
};

}  // namespace

Diagnostics CheckScript(std::string_view bytes) {
  const ScriptText script = ScriptText::Parse(bytes);
  return Checker(script).Run();
}

}  // namespace velsetup::check
