// registry.reg: the simulated registry as text, in the registry editor's
// export format, so that a user can seed a machine by writing it and read
// the result in any editor.
//
// Read: a "REGEDIT4" or "Windows Registry Editor Version 5.00" header (the
// latter also as UTF-16LE with its byte-order mark, as the editor exports
// it); [key] lines with full hive names; "name"= and @= value lines holding
// "text" (\\ and \" escaped), dword:, hex:, hex(N): data, hex lines carried
// on with a trailing backslash; [-key] and "name"=- as deletions; comments
// from ';'; CR LF or LF line ends. In a version 5 file hex(2) and hex(7)
// data are UTF-16LE and are turned into the 8-bit text that the A calls
// store; characters above 0xFF become '?'.
//
// Written: always REGEDIT4 with CR LF line ends, the form every simulated
// system's editor reads, and the one whose hex(2)/hex(7) bytes are the very
// bytes the A calls stored. A value is written as "text" only when that
// form gives back its exact bytes (one terminating zero, no zero or line
// break inside); otherwise it is written as hex(N):, so nothing stored is
// ever changed by a round trip. Volatile keys are not written.
#pragma once

#include <cstddef>
#include <string>

#include "platform/host/registry/registry_tree.h"

namespace velsetup::host {

// Parses `bytes` into `*tree` (which it fills; keys of a hive not in the
// file stay empty). False with `*error` naming the line and what is wrong.
bool ParseRegistryFile(const std::string& bytes, RegistryTree* tree, std::string* error);

// The REGEDIT4 text of `tree`. HKEY_DYN_DATA is written when
// `with_dyn_data` (the 9x family has the hive) or when it holds anything.
std::string FormatRegistryFile(const RegistryTree& tree, bool with_dyn_data);

// The longest line the writer makes of hex data before it carries on.
constexpr size_t kRegistryLineWidth = 80;

}  // namespace velsetup::host
