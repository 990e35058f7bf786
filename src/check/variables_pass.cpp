#include "check/variables_pass.h"

#include "check/pass_support.h"
#include "check/variable_tokens.h"
#include "engine/text_format.h"

namespace velsetup::check {

void CheckVariableTokens(const ScriptModel& model, Diagnostics& found, int line,
                         std::string_view text, bool expanded, const std::string& where) {
  if (!HasToken(text)) return;
  if (!expanded) {
    found.Warning(
        line, Rule::kNotExpanded,
        Concat("variables are not expanded in ", where, ": ", Quoted(text), " is used as written"));
    return;
  }
  for (const Token& token : ScanTokens(text)) {
    switch (token.kind) {
      case TokenKind::kCutShort:
        found.Error(line, Rule::kTokenCutShort,
                    Concat(Quoted(token.text),
                           " is cut short by the end of the text: it names no variable"));
        continue;
      case TokenKind::kBadClass:
        found.Error(line, Rule::kNoVariableClass,
                    Concat(Quoted(token.text),
                           " is no variable (the letter after ~% must be C or V): the "
                           "expansion stops there and leaves the rest as written"));
        continue;
      default: break;
    }
    if (!token.three_digits) {
      found.Warning(
          line, Rule::kTokenDigits,
          Concat("the number of ", Quoted(token.text), " reads as ", std::to_string(token.number),
                 ": a token takes the three characters after its letter"));
    }
    if (!token.names_variable) {
      found.Error(line, Rule::kUnknownVariable,
                  Concat(Quoted(token.text), " names no variable",
                         token.kind == TokenKind::kBuiltIn
                             ? " (the built-ins are ~%C000, ~%C001, ~%C101 to ~%C105)"
                             : ""));
      continue;
    }
    if (token.kind == TokenKind::kBuiltIn && token.number == kTempFileVariable &&
        token.position + token.text.size() < text.size()) {
      found.Warning(line, Rule::kTokenDropsRest,
                    Concat(Quoted(token.text), " drops the rest of the text: ",
                           Quoted(text.substr(token.position + token.text.size())), " is lost"));
    }
    if (token.kind == TokenKind::kScriptVariable && !model.variables_unknown() &&
        !model.VariableSet(token.number)) {
      const std::string key = Format("V%03d", token.number);
      found.Warning(
          line, Rule::kVariableNeverSet,
          Concat(key, " is never set ([Variables] has no ", key,
                 " and no command sets it): ", Quoted(token.text), " expands to the empty text"));
    }
  }
}

namespace {

class VariablesSectionPass : public Pass {
 public:
  using Pass::Pass;

  void Check(const ScriptSection& variables) {
    for (const SectionLine& line : variables.lines) {
      if (!line.has_equals || !IsVariableKey(line.key)) {
        found_.Warning(line.line, Rule::kNotAVariable,
                       Concat(Quoted(line.key),
                              " in [Variables] is never read: only V000 "
                              "to V999 are variables"));
        continue;
      }
      CheckKeptComment(line.line, line.value);
      CheckTokens(line.line, line.value, true, "[Variables]");
    }
  }
};

}  // namespace

void CheckVariablesSection(const ScriptModel& model, Diagnostics& found,
                           const ScriptSection& variables) {
  VariablesSectionPass(model, found).Check(variables);
}

}  // namespace velsetup::check
