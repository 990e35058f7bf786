// Finds the mistakes of a script that a run would only show on a customer's
// machine: commands that do not exist, branches into nothing, data lines the
// commands skip, loops that never end, texts the engine cuts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "check/diagnostics.h"

namespace velsetup::check {

// Finds a file that a CMD28 appends, by its name (the last part of the path
// the command gives), beside the script: its bytes, or nothing when no file
// of that name is there.
class AppendedFileFinder {
 public:
  virtual ~AppendedFileFinder() = default;
  virtual std::optional<std::string> Find(const std::string& name) const = 0;
};

// Checks the script whose file holds `bytes`. With `find_appended`, the files
// its CMD28 lines append are looked for: their sections count as the
// script's, and one that is missing is reported.
Diagnostics CheckScript(std::string_view bytes, const AppendedFileFinder* find_appended = nullptr);

}  // namespace velsetup::check
