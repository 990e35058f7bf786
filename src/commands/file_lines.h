// The lines of the data sections that the copy and rename commands read:
// "source,destination", the destination's comment cut off.
#pragma once

#include <string>
#include <string_view>

namespace velsetup {

struct PathPair {
  std::string source;
  std::string destination;
};

// Splits at the first comma; false when the line has none.
bool SplitPathPair(std::string_view line, PathPair* pair);

// The directory part joined with a name: one backslash between them.
std::string JoinPath(std::string_view directory, std::string_view name);

// The text after the last backslash, or the whole text.
std::string_view FileNameOf(std::string_view path);

bool EndsWithBackslash(std::string_view text);

}  // namespace velsetup
