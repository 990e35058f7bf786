// Commands that edit INI data of the running script: single values anywhere
// in it, script variables, and a second INI file appended to it whole.
#pragma once

#include <cstdint>

namespace velsetup {

// [Commands] field 0 empty: section, key and value in fields 1 to 3;
// otherwise field 0 names a data section of "section, key, value" lines.
uint32_t Cmd26_SetValue();
// Field 0 empty: variable name and value in fields 1 and 2 (the name as
// written); otherwise field 0 names a data section of "name, value" lines.
uint32_t Cmd27_SetVariable();
// Field 0 is the path of the file whose bytes are appended to the script.
uint32_t Cmd28_AppendINIFile();

}  // namespace velsetup
