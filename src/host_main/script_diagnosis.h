// Why the tool could not use its script, in words for the host's user: the
// tool itself only shows its usage box.
#pragma once

#include <optional>
#include <string>

#include "platform/host/files/path_mapper.h"

namespace velsetup::host_main {

// `looked_for` is the Windows path the tool looked for (or copied from);
// `given` the script argument as the user typed it, if any. The message
// names both and the reason: missing, a directory, unreadable, no drive
// showing it, or cut at a '-'.
std::string ScriptProblem(const std::string& looked_for, const std::optional<std::string>& given,
                          host::PathMapper& paths);

}  // namespace velsetup::host_main
