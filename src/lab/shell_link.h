// The shell link (.lnk) files of a Startup folder, read as the shell reads
// them at boot: the documented binary format (header of 0x4C bytes with the
// link class id, LinkFlags, then the optional LinkTargetIDList, LinkInfo and
// the counted strings NAME, RELATIVE_PATH, WORKING_DIR, ARGUMENTS, ICON).
// Only what decides what the shell starts is read: LinkInfo's local base
// path (with its common path suffix), the relative path, the working
// directory and the arguments. The ID list is stepped over: a link made on
// one PC and copied in a kit points at its target by path on every other.
#pragma once

#include <string>

namespace velsetup::lab {

struct ShellLink {
  std::string local_base_path;  // LinkInfo: "C:\KIT\velsetup.exe"; empty if none
  std::string relative_path;    // StringData RELATIVE_PATH: "..\..\KIT\velsetup.exe"
  std::string working_dir;
  std::string arguments;
};

// False with `*error` saying what is wrong for bytes that are no shell link
// or whose sizes point outside them. Texts stored as UTF-16 (IsUnicode) come
// back as 8-bit text, characters above 0xFF as '?'.
bool ParseShellLink(const std::string& bytes, ShellLink* link, std::string* error);

// The program the link starts: its local base path, else its relative path
// taken from `link_folder` (the Windows folder that holds the .lnk file);
// empty when it names neither.
std::string LinkTarget(const ShellLink& link, const std::string& link_folder);

}  // namespace velsetup::lab
