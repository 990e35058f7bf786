// Which Windows the tool runs on, and the privileges it holds there.
#pragma once

namespace velsetup {

// Each asks the system afresh and is true for exactly one version: 95 (4.0 on
// the 9x family), 98 (4.10), NT 4.0 (4.0 on the NT family), 2000 (5.0). Any
// other version, and a failed query, answers false to all four.
bool IsWin95();
bool IsWin98();
bool IsNT4();
bool IsWin2000();

// On the NT family: enables the shutdown, restore and backup privileges on
// the process token, logging each attempt and each refusal.
void EnablePrivileges();

}  // namespace velsetup
