// Finds the mistakes of a script that a run would only show on a customer's
// machine: commands that do not exist, branches into nothing, data lines the
// commands skip, loops that never end, texts the engine cuts.
#pragma once

#include <string_view>

#include "check/diagnostics.h"

namespace velsetup::check {

// Checks the script whose file holds `bytes`.
Diagnostics CheckScript(std::string_view bytes);

}  // namespace velsetup::check
