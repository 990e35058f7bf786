// Whole INI sections as one block of zero-terminated lines, the block ended
// by an empty line, as GetPrivateProfileSectionA delivers them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup {

// The section's block (its bytes up to and including the final two zeros),
// or nothing when the section is missing or has no line. The buffer grows
// by doubling from 260 bytes; on Windows 95 and 98 it stops before passing
// 32,768 bytes, and a section larger than that comes back cut after its
// last whole line (the line the cut falls into is left out), still ending
// in two zeros.
std::optional<std::string> ReadSection(const std::string& section, const std::string& file);

// The lines of a block, up to its empty line.
std::vector<std::string_view> BlockLines(const std::string& block);

// The characters the section's block holds without its final zero; 0 for a
// missing or empty section; 16,640 when the section is larger than the
// probe allows (on every system).
uint32_t GetProfileSectionSize(const std::string& section, const std::string& file);

}  // namespace velsetup
