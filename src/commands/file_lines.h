// Path pieces of the file commands.
#pragma once

#include <string>
#include <string_view>

namespace velsetup {

// The directory part joined with a name: one backslash between them.
std::string JoinPath(std::string_view directory, std::string_view name);

// The text after the last backslash, or the whole text.
std::string_view FileNameOf(std::string_view path);

bool EndsWithBackslash(std::string_view text);

}  // namespace velsetup
