// The change between two snapshots of a machine, as the reports show it.
#pragma once

#include <functional>
#include <string>

#include "lab/lab_result.h"
#include "lab/snapshot.h"

namespace velsetup::lab {

// `tool_own` tells, for a Windows path, whether the file is the tool's own
// (its working copy, the copy's start record, its install log): shown apart.
// Registry keys added or removed are listed with their values; a key that
// stays lists only the values that changed.
Changes DiffSnapshots(const Snapshot& before, const Snapshot& after,
                      const std::function<bool(const std::string&)>& tool_own);

}  // namespace velsetup::lab
