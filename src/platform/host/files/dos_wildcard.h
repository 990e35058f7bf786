// File name patterns as FindFirstFileA matches them on the NT family.
#pragma once

#include <string_view>

namespace velsetup::host {

// "*" matches any run of characters, "?" any one; letters match case-blind.
// "*" and "*.*" match every name; a pattern ending in ".*" or "." also
// matches the same name without an extension ("readme.*" finds "readme").
// The 8.3 aliases that Windows also matches against are not simulated: the
// simulated drives have no short names.
bool MatchesDosPattern(std::string_view pattern, std::string_view name);

bool HasWildcard(std::string_view text);

}  // namespace velsetup::host
