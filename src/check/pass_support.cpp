#include "check/pass_support.h"

#include "check/variable_tokens.h"
#include "check/variables_pass.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup::check {

namespace {

bool IsFlag(std::string_view text) {
  return EqualsIgnoreCase(text, "TRUE") || EqualsIgnoreCase(text, "FALSE");
}

}  // namespace

std::string Quoted(std::string_view text) { return Concat("'", text, "'"); }
std::string Bracketed(std::string_view name) { return Concat("[", name, "]"); }

bool CutBySemicolon(std::string_view raw, std::string* lost) {
  const size_t start = raw.find_first_not_of(" \t");
  const size_t semicolon = raw.find(';', start == std::string_view::npos ? 0 : start);
  if (semicolon == std::string_view::npos || semicolon == 0 ||
      IsCleaningWhitespace(raw[semicolon - 1])) {
    return false;
  }
  *lost = TrimBlanks(raw.substr(semicolon + 1));
  return !lost->empty();
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

void Pass::CheckValue(int line, const std::string& value, FieldRole role, bool expanded,
                      const std::string& where, const std::string& command) {
  CheckTokens(line, value, expanded, where);
  switch (role) {
    case FieldRole::kPath:
      if (HasWildcard(value)) {
        found_.Error(line, Rule::kWildcardInPath,
                     Concat(Quoted(value), " in ", where, " holds a wild card, which ", command,
                            " does not expand: no file has that name"));
      }
      break;
    case FieldRole::kFlag:
      if (!IsFlag(value)) {
        found_.Warning(line, Rule::kNotAFlag,
                       Concat(Quoted(value), " in ", where,
                              " is neither TRUE nor FALSE: only TRUE counts as true"));
      }
      break;
    case FieldRole::kNumber: {
      // Read as atoi reads: a text that does not start with digits is 0.
      const size_t start = value.find_first_not_of(" \t+-");
      if (start == std::string::npos || value[start] < '0' || value[start] > '9') {
        found_.Warning(line, Rule::kNotANumber,
                       Concat(Quoted(value), " in ", where, " is not a number: it reads as 0"));
      } else if (ReadDecimal(value) < 0) {
        found_.Warning(line, Rule::kNotANumber, Concat(where, " is negative: ", Quoted(value)));
      }
      break;
    }
    case FieldRole::kVariableName:
      if (!IsVariableKey(value)) {
        found_.Warning(line, Rule::kNotAVariable,
                       Concat(command, " sets ", Quoted(value),
                              ", which the expansion never reads: only V000 to V999 are "
                              "variables"));
      }
      break;
    default: break;
  }
}

void Pass::CheckTokens(int line, std::string_view text, bool expanded, const std::string& where) {
  CheckVariableTokens(model_, found_, line, text, expanded, where);
}

void Pass::CheckKeptComment(int line, std::string_view text) {
  for (size_t i = text.find(';'); i != std::string_view::npos; i = text.find(';', i + 1)) {
    if (i > 0 && IsCleaningWhitespace(text[i - 1])) {
      found_.Warning(line, Rule::kKeptComment,
                     "';' starts no comment inside a value: the text after it stays part of it");
      return;
    }
  }
}

void Pass::MissingSection(int line, Rule rule, const std::string& message) {
  if (model_.appends()) {
    found_.Warning(line, rule, message + " (unless the file CMD28 appends brings it)");
  } else {
    found_.Error(line, rule, message);
  }
}

}  // namespace velsetup::check
