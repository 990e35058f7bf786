#include "lab/kit.h"

#include <sys/stat.h>

#include "lab/host_tree.h"

namespace velsetup::lab {

namespace {

// Stops counting as soon as a limit is passed.
void Measure(const std::string& path, const std::vector<std::string>& skip, uint64_t* bytes,
             uint64_t* entries) {
  std::vector<std::string> names;
  if (!ListDirectory(path, &names)) return;
  for (const std::string& name : names) {
    if (*bytes > kKitByteLimit || *entries > kKitEntryLimit) return;
    const std::string child = path + "/" + name;
    struct stat info;
    if (::lstat(child.c_str(), &info) != 0) continue;
    ++*entries;
    if (S_ISREG(info.st_mode)) *bytes += static_cast<uint64_t>(info.st_size);
    if (!S_ISDIR(info.st_mode)) continue;
    bool skipped = false;
    for (const std::string& excluded : skip) skipped = skipped || RealPath(child) == excluded;
    if (!skipped) Measure(child, skip, bytes, entries);
  }
}

}  // namespace

bool CheckKitSize(const std::string& script_path, const std::vector<std::string>& skip,
                  std::string* error) {
  const std::string real_script = RealPath(script_path);
  const size_t slash = real_script.rfind('/');
  const std::string directory = slash == 0 ? "/" : real_script.substr(0, slash);
  uint64_t bytes = 0, entries = 0;
  Measure(directory, skip, &bytes, &entries);
  if (bytes <= kKitByteLimit && entries <= kKitEntryLimit) return true;
  *error = "the script's directory " + directory + " holds more than " +
           std::to_string(kKitEntryLimit) + " files or " + std::to_string(kKitByteLimit >> 20) +
           " MiB, which every profile would copy as its kit: give the script and its kit a "
           "directory of their own";
  return false;
}

std::string KitHostDirectory(const std::string& drive_c) { return drive_c + "/KIT"; }

bool PlaceKit(const std::string& script_path, const std::string& drive_c,
              const std::vector<std::string>& skip, std::string* error) {
  const std::string real_script = RealPath(script_path);
  const size_t slash = real_script.rfind('/');
  const std::string directory = slash == 0 ? "/" : real_script.substr(0, slash);
  const std::string kit = KitHostDirectory(drive_c);
  // kit/ is merged below rather than copied as a folder of its own.
  std::vector<std::string> skipped = skip;
  const std::string kit_folder = directory + "/kit";
  struct stat info;
  const bool has_kit_folder = ::stat(kit_folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  if (has_kit_folder) skipped.push_back(RealPath(kit_folder));
  if (!CopyTree(directory, kit, skipped, error)) return false;
  if (has_kit_folder && !CopyTree(kit_folder, kit, skip, error)) return false;
  // The tool's own file: a stand-in, since the host program runs in its
  // place; a script that deletes or replaces it shows in the changes.
  return WriteHostFile(kit + "/velsetup.exe", "velsetup: the tool of this kit (a stand-in)\r\n",
                       error);
}

}  // namespace velsetup::lab
