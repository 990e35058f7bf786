// The whole state of a host directory tree, contents included, for tests
// that prove a run left it as it was, byte for byte.
#pragma once

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "host_test_support.h"

namespace velsetup::host::testing {

// Every entry below `root`: its type and mode, a file's bytes, a link's
// target, and its modification time.
inline std::map<std::string, std::string> TreeSnapshot(const std::string& root) {
  static std::map<std::string, std::string>* current;
  std::map<std::string, std::string> entries;
  current = &entries;
  ::nftw(root.c_str(),
         [](const char* path, const struct stat* info, int, FTW*) {
           std::string state = std::to_string(info->st_mode) + "@" +
                               std::to_string(info->st_mtim.tv_sec) + "." +
                               std::to_string(info->st_mtim.tv_nsec) + ":";
           if (S_ISREG(info->st_mode)) state += ReadHostFile(path);
           if (S_ISLNK(info->st_mode)) {
             char target[4096];
             const ssize_t length = ::readlink(path, target, sizeof target);
             if (length > 0) state.append(target, static_cast<size_t>(length));
           }
           (*current)[path] = state;
           return 0;
         },
         16, FTW_PHYS);
  return entries;
}

}  // namespace velsetup::host::testing
