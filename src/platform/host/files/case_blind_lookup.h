// Finds a directory entry whatever the case of its name, as Windows file
// systems do. Directory listings are kept between calls only while they are
// provably current (see the .cpp), so a lookup never misses a fresh entry.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <optional>
#include <string>
#include <unordered_map>

namespace velsetup::host {

class CaseBlindLookup {
 public:
  // The host name of the entry of `directory` that equals `name` case-blind.
  // An exact match is the caller's to try first (one lstat is cheaper); among
  // several entries that differ only in case, the smallest name is taken, so
  // the choice does not depend on the order the file system lists them in.
  std::optional<std::string> Find(const std::string& directory, const std::string& name);

 private:
  struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    std::unordered_map<std::string, std::string> by_folded_name;
  };
  std::unordered_map<std::string, Listing> listings_;
};

}  // namespace velsetup::host
