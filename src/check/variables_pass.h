// The variables pass: every ~%Cnnn and ~%Vnnn token a run expands names a
// variable that has a value, and [Variables] holds only keys the expansion
// reads.
#pragma once

#include <string>
#include <string_view>

#include "check/diagnostics.h"
#include "check/script_model.h"

namespace velsetup::check {

// The tokens of `text`, a value at `where` that the command expands (or,
// with `expanded` false, uses as written).
void CheckVariableTokens(const ScriptModel& model, Diagnostics& found, int line,
                         std::string_view text, bool expanded, const std::string& where);

// The keys and values of [Variables].
void CheckVariablesSection(const ScriptModel& model, Diagnostics& found,
                           const ScriptSection& variables);

}  // namespace velsetup::check
