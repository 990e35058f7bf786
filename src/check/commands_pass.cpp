#include "check/commands_pass.h"

#include "check/command_rules.h"
#include "engine/text_format.h"

namespace velsetup::check {

bool CommandsPass::Check(const CommandLine& command) {
  if (!command.number.has_digits) {
    found_.Error(command.line, Rule::kNotACommandNumber,
                 Concat(Quoted(command.number_text),
                        " is not a command number: the line reads as command 0 "
                        "and ends the section"));
    return false;
  }
  const CommandFacts& rule = command.rule();
  if (!command.number.plain) {
    found_.Warning(command.line, Rule::kLooseCommandNumber,
                   Concat("the command number ", Quoted(command.number_text), " reads as ",
                          std::to_string(static_cast<int32_t>(command.Number()))));
  }
  std::string lost;
  if (CutBySemicolon(command.raw, &lost)) {
    found_.Warning(
        command.line, Rule::kSemicolonCut,
        Concat("';' starts a comment here: ", Quoted(lost), " is not part of the command"));
  }
  if (!rule.defined()) {
    found_.Error(
        command.line, Rule::kUnknownCommand,
        Concat("there is no command ", std::to_string(static_cast<int32_t>(command.Number())),
               ": the tool logs it as not defined and goes on"));
    return false;
  }
  if (!rule.supported) {
    found_.Warning(command.line, Rule::kUnsupportedCommand,
                   Concat(command.rule().name,
                          " is not supported: the tool only logs \"Not Supported yet.\""));
    return false;
  }
  CheckFieldCount(command);
  CheckFields(command);
  return true;
}

void CommandsPass::CheckFieldCount(const CommandLine& command) {
  const CommandFacts& rule = command.rule();
  int read = FieldsRead(rule, command.Inline());
  if (rule.course == Course::kAsks) {
    const std::vector<int> answers = AnswerFields(BoxType(command));
    if (!answers.empty()) read = answers.back() + 1;
    if (answers.empty() && command.fields.size() > 2) {
      found_.Warning(command.line, Rule::kBoxAsksNothing,
                     Concat("a CMD17 box of type ", std::to_string(BoxType(command)),
                            " asks nothing: the sections after its 2nd field are never used"));
      return;
    }
  }
  if (static_cast<int>(command.fields.size()) <= read) return;
  if (read == 0) {
    found_.Warning(command.line, Rule::kIgnoredFields,
                   Concat(ShortName(command.Number()),
                          " takes no fields: ", Quoted(command.After(1)), " is ignored"));
    return;
  }
  found_.Warning(command.line, Rule::kIgnoredFields,
                 Concat(ShortName(command.Number()), " reads ", std::to_string(read),
                        read == 1 ? " field" : " fields", ": ", Quoted(command.After(read + 1)),
                        " after the next comma is ignored (a ',' inside a value splits it)"));
}

void CommandsPass::CheckFields(const CommandLine& command) {
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
        found_.Error(
            command.line, Rule::kMissingField,
            Concat(name, " needs ", Noun(field.role), " in field ", std::to_string(field.index)));
      }
      continue;
    }
    CheckValue(command.line, value, field.role, field.expanded, where, name);
  }
}

const char* CommandsPass::Noun(FieldRole role) {
  switch (role) {
    case FieldRole::kPath: return "a path";
    case FieldRole::kCommandLine: return "a program";
    case FieldRole::kVariableName: return "a variable name";
    case FieldRole::kNumber: return "a number";
    case FieldRole::kDataSection: return "a section name";
    default: return "a value";
  }
}

}  // namespace velsetup::check
