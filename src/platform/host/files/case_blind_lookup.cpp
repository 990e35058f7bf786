#include "platform/host/files/case_blind_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/host/files/windows_path.h"

namespace velsetup::host {

namespace {

// A listing of a directory changed within this many seconds of reading it is
// not kept: file systems stamp directories with a coarse clock, so a change
// in the same tick as the listing would leave the stamp as it was. The change
// time decides, as no one can set it back the way touch sets back mtime.
constexpr time_t kRacyWindowSeconds = 1;
// Enough for the directories one run works in; past it the cache starts over.
constexpr size_t kMaxListings = 64;

std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

std::optional<std::string> CaseBlindLookup::Find(const std::string& directory,
                                                 const std::string& name) {
  struct stat before;
  if (::stat(directory.c_str(), &before) != 0 || !S_ISDIR(before.st_mode)) return std::nullopt;
  const std::string key = Folded(name);

  auto cached = listings_.find(directory);
  if (cached != listings_.end()) {
    const Listing& listing = cached->second;
    if (listing.device == before.st_dev && listing.inode == before.st_ino &&
        SameTime(listing.modified, before.st_mtim) && SameTime(listing.changed, before.st_ctim)) {
      auto entry = listing.by_folded_name.find(key);
      if (entry == listing.by_folded_name.end()) return std::nullopt;
      return entry->second;
    }
    listings_.erase(cached);
  }

  // A directory changed within the window keeps no listing whatever the
  // reading finds, so it needs no second look afterwards: a tree being
  // filled file by file is in that state all along.
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const bool may_keep = before.st_ctim.tv_sec + kRacyWindowSeconds < now.tv_sec;

  DIR* handle = ::opendir(directory.c_str());
  if (handle == nullptr) return std::nullopt;
  Listing listing;
  while (dirent* entry = ::readdir(handle)) {
    const std::string entry_name = entry->d_name;
    if (entry_name == "." || entry_name == "..") continue;
    auto [slot, inserted] = listing.by_folded_name.emplace(Folded(entry_name), entry_name);
    if (!inserted && entry_name < slot->second) slot->second = entry_name;
  }
  ::closedir(handle);

  std::optional<std::string> found;
  auto entry = listing.by_folded_name.find(key);
  if (entry != listing.by_folded_name.end()) found = entry->second;

  // Kept only when the directory did not change while it was read and its
  // last change lay safely in the past before the reading began.
  struct stat after;
  if (may_keep && ::stat(directory.c_str(), &after) == 0 && after.st_ino == before.st_ino &&
      SameTime(after.st_mtim, before.st_mtim) && SameTime(after.st_ctim, before.st_ctim)) {
    if (listings_.size() >= kMaxListings) listings_.clear();
    listing.device = after.st_dev;
    listing.inode = after.st_ino;
    listing.modified = after.st_mtim;
    listing.changed = after.st_ctim;
    listings_.emplace(directory, std::move(listing));
  }
  return found;
}

}  // namespace velsetup::host
