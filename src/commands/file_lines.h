// Path pieces of the file commands, and the search they start alike.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velsetup {

// The directory part joined with a name: one backslash between them.
std::string JoinPath(std::string_view directory, std::string_view name);

// The text after the last backslash, or the whole text.
std::string_view FileNameOf(std::string_view path);

bool EndsWithBackslash(std::string_view text);

// FindFirstFileA on `pattern`; a failure is logged as `caller` reports it:
// the call and its error, then that the handle is invalid.
FindHandle FindFirstLogged(const std::string& pattern, FindData* entry, const char* caller);

}  // namespace velsetup
