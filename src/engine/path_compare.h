// Whether two Windows paths name the same file, by their text: case-blind,
// either separator, repeated separators, "." and ".." components and a
// trailing backslash make no difference.
#pragma once

#include <string>
#include <string_view>

namespace velsetup {

std::string NormalizedWindowsPath(std::string_view path);
bool SameWindowsPath(std::string_view a, std::string_view b);

}  // namespace velsetup
