#include "check/pass_support.h"

#include <algorithm>
#include <vector>

#include "check/variable_tokens.h"
#include "check/variables_pass.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

using profile::FoldName;

namespace {

bool IsFlag(std::string_view text) {
  return EqualsIgnoreCase(text, "TRUE") || EqualsIgnoreCase(text, "FALSE");
}

// Edits (a letter added, dropped, changed, or two swapped) between two
// names, compared case-blind as the profile calls compare them.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t change = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string NearestSection(const ScriptText& script, std::string_view name) {
  const std::string wanted = FoldName(TrimBlanks(name));
  if (wanted.empty()) return std::string();
  // One slip in a short name, two in a longer one; more is another name.
  const size_t allowed = wanted.size() <= 4 ? 1 : 2;
  std::string best;
  size_t best_distance = allowed + 1;
  bool tie = false;
  for (const ScriptSection& section : script.sections()) {
    if (section.empty()) continue;
    const size_t distance = Distance(wanted, FoldName(section.name));
    if (distance < best_distance) {
      best = section.name;
      best_distance = distance;
      tie = false;
    } else if (distance == best_distance) {
      tie = true;
    }
  }
  return tie ? std::string() : best;
}

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

void Pass::MissingSection(int line, Rule rule, const std::string& message, std::string_view name) {
  const std::string near = NearestSection(script_, name);
  const std::string hint = near.empty() ? "" : Concat("; did you mean ", Bracketed(near), "?");
  if (model_.Brings(name)) return;
  if (model_.appends() && !model_.appended_all_known()) {
    found_.Warning(line, rule, message + " (unless the file CMD28 appends brings it)" + hint);
  } else {
    found_.Error(line, rule, message + hint);
  }
}

}  // namespace velsetup::check
