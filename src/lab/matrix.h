// The matrix file: one INI section a profile, [Defaults] for all of them.
//
//   [Defaults]
//   Options=-silent
//   [win98-acpi]
//   OS=win98
//   Power=ACPI
//
// Keys: the machine.ini keys a profile may set (OS, UserLanguage, WindowsDir,
// SystemDir, TempDir, CurrentDir, FailPrivileges, Signature, SystemID,
// IdString), Power (APM or ACPI, Windows 98 only), Answers (as
// VELSETUP_ANSWERS) and Options (the tool's options, blank-separated).
#pragma once

#include <string>
#include <vector>

#include "lab/lab_result.h"

namespace velsetup::lab {

// The machine.ini section of a matrix key ("Machine" for "OS", "Bios" for
// "Signature"), the key as machine.ini spells it in `*canonical`; null for a
// key that is not a machine.ini key a profile may set.
const char* MachineSectionOf(const std::string& key, std::string* canonical = nullptr);

// The profiles of the matrix text `bytes`, in its order. False with `*error`
// naming `file_name`, the section and the key when anything is wrong: the
// lab runs nothing on a matrix it does not understand.
bool ParseMatrix(const std::string& bytes, const std::string& file_name,
                 std::vector<Profile>* profiles, std::string* error);

// Fills the derived fields of a profile (os, power, answers, options) from
// its settings and checks them; false with `*error` saying what is wrong.
// `where` names the profile in the message ("matrix.ini [win98]").
bool CompleteProfile(const std::string& where, Profile* profile, std::string* error);

// The default matrix: Windows 95, 98 with APM, 98 with ACPI, Me, NT 4.0,
// 2000 and XP, each as a PC of the maker and as a foreign PC.
std::vector<Profile> DefaultMatrix();

}  // namespace velsetup::lab
