// A command line as the engine expands it into its slot and a command reads
// it back, and the other texts the checker must read exactly as the tool does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/command_rules.h"
#include "check/script_text.h"

namespace velsetup::check {

// GetPrivateProfileIntA: leading blanks, one sign, a 0x / 0o / 0b prefix,
// then the digits up to the first that does not belong; 32 bits, wrapping.
struct ProfileNumber {
  uint32_t value = 0;
  bool has_digits = false;
  bool plain = false;  // a decimal number as written: digits and maybe a minus
};
ProfileNumber ReadProfileNumber(std::string_view text);

// An integer key or field as the commands read it: an empty or absent value
// gives the default.
int32_t ReadIntValue(std::string_view value, int32_t default_value);

struct CommandLine {
  int line = 0;
  size_t index = 0;  // its slot counted from the section's first
  std::string raw;   // as the section read gives it
  std::string cleaned;
  std::string number_text;
  ProfileNumber number;
  std::vector<std::string> fields;  // as a command reads them back

  uint32_t Number() const { return number.value; }
  const CommandFacts& rule() const { return FactsOf(number.value); }
  std::string Field(size_t i) const { return i < fields.size() ? fields[i] : std::string(); }
  bool Inline() const { return Field(0).empty(); }
  // The text of the line after its `comma`-th comma (1-based).
  std::string After(int comma) const;
};

// The line as the engine expands it into a slot; false for a line that
// takes no slot.
bool ReadCommandLine(const SectionLine& source, CommandLine* command);

// A section name with variables in it, as a pattern: each token stands for
// any text, the rest compares case-blind.
struct NamePattern {
  std::vector<std::string> pieces;  // the texts around the tokens, folded
  bool any_literal = false;
};
NamePattern PatternOf(std::string_view name);
bool Matches(const NamePattern& pattern, std::string_view name);

}  // namespace velsetup::check
