#include "check/command_line.h"

#include <algorithm>

#include "check/variable_tokens.h"
#include "engine/script_lines.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "profile/profile_document.h"

namespace velsetup::check {

namespace {

constexpr size_t kNumberCapacity = 260;  // the engine keeps 259 characters of a number

using profile::TrimProfileBlanks;
using profile::Unquoted;

// As names compare: ASCII letters without regard to case; nothing trimmed,
// since a piece between tokens may start or end with a blank.
std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

}  // namespace

ProfileNumber ReadProfileNumber(std::string_view text) {
  ProfileNumber number;
  const std::string_view digits = !text.empty() && text[0] == '-' ? text.substr(1) : text;
  number.plain = !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
  number.value = profile::ParseProfileInteger(text, &number.has_digits);
  return number;
}

int32_t ReadIntValue(std::string_view value, int32_t default_value) {
  if (value.empty()) return default_value;
  return static_cast<int32_t>(ReadProfileNumber(value).value);
}

std::string CommandLine::After(int comma) const {
  size_t at = std::string::npos;
  for (int i = 0; i < comma; ++i) {
    at = cleaned.find(',', at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) return std::string();
  }
  return cleaned.substr(at + 1);
}

bool ReadCommandLine(const SectionLine& source, CommandLine* command) {
  command->raw = source.text;
  command->cleaned = StripCommentsAndEtc(source.text);
  if (command->cleaned.empty()) return false;
  command->line = source.line;
  const CommandLineParts parts = SplitCommandLine(command->cleaned);
  // Stored in [Commands] and read back: trimmed, quotes stripped.
  command->number_text = std::string(TrimProfileBlanks(CutTo(parts.number, kNumberCapacity)));
  command->number = ReadProfileNumber(command->number_text);
  for (const std::string& field : parts.fields) {
    command->fields.emplace_back(Unquoted(TrimProfileBlanks(field)));
  }
  return true;
}

NamePattern PatternOf(std::string_view name) {
  NamePattern pattern;
  size_t from = 0;
  bool after_token = false;
  for (const Token& token : ScanTokens(name)) {
    pattern.pieces.push_back(Folded(name.substr(from, token.position - from)));
    from = token.position + token.text.size();
    after_token = true;
  }
  pattern.pieces.push_back(after_token ? Folded(name.substr(std::min(from, name.size())))
                                       : Folded(name));
  for (const std::string& piece : pattern.pieces) pattern.any_literal |= !piece.empty();
  return pattern;
}

bool Matches(const NamePattern& pattern, std::string_view name) {
  const std::string folded = Folded(name);
  const std::vector<std::string>& pieces = pattern.pieces;
  if (pieces.size() == 1) return folded == pieces[0];
  if (folded.compare(0, pieces.front().size(), pieces.front()) != 0) return false;
  size_t at = pieces.front().size();
  for (size_t i = 1; i + 1 < pieces.size(); ++i) {
    const size_t found = folded.find(pieces[i], at);
    if (found == std::string::npos) return false;
    at = found + pieces[i].size();
  }
  const std::string& last = pieces.back();
  return folded.size() >= at + last.size() &&
         folded.compare(folded.size() - last.size(), last.size(), last) == 0;
}

}  // namespace velsetup::check
