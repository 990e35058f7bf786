// Copying and removing host directory trees for the lab's machines. A copy
// keeps what the machine keeps beside a file's bytes: its DOS attributes in
// the user.DOSATTRIB extended attribute (the sidecar files that stand in for
// it elsewhere are files and are copied as such).
#pragma once

#include <string>
#include <vector>

namespace velsetup::lab {

// Copies the tree `from` into `to` (made when missing; what it holds is
// merged with, a file of the same name replaced). Symbolic links are copied
// as links, never followed, so a link in a kit cannot pull a host tree in.
// Directories in `skip` (host paths) are left out. False with `*error`.
bool CopyTree(const std::string& from, const std::string& to,
              const std::vector<std::string>& skip, std::string* error);

// Removes `path` and everything below it; links are removed, not followed.
void RemoveTree(const std::string& path);

// Writes `bytes` to `path`, replacing it. False with `*error`.
// The names in a directory, without "." and ".."; false when it cannot be
// listed.
bool ListDirectory(const std::string& path, std::vector<std::string>* names);

bool WriteHostFile(const std::string& path, const std::string& bytes, std::string* error);
bool ReadHostFile(const std::string& path, std::string* bytes);

// The real, absolute form of an existing path; the path itself otherwise.
std::string RealPath(const std::string& path);

}  // namespace velsetup::lab
