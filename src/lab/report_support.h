// What the three reports take from a lab result in the same way. An analysis
// made from another result must not make a report read past a list, so every
// index is checked here.
#pragma once

#include <cstdint>
#include <string>

#include "lab/lab_report.h"

namespace velsetup::lab {

// The name a report shows for a script file; empty for an unknown index.
const std::string& FileName(const LabResult& result, int file);
// A line's text (1-based); empty when the file has no such line.
const std::string& LineText(const LabResult& result, int file, int line);
const std::string& ProfileName(const LabResult& result, int profile);

// "win98 ACPI": the Windows and, on Windows 98, its power management.
std::string SystemOf(const Profile& profile);
// The changed files and directories, the tool's own working files left out.
int FilesChanged(const ProfileResult& profile);
// Registry values added, changed or removed (keys as a whole not counted).
int ValuesChanged(const ProfileResult& profile);
// FILE_ATTRIBUTE_* bits as the DOS attribute letters: "RHSA", "D", "-".
std::string AttributeLetters(uint32_t attributes);

}  // namespace velsetup::lab
