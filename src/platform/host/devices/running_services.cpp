#include "platform/host/devices/running_services.h"

#include <algorithm>
#include <fstream>

#include "platform/host/posix/durable_file.h"
#include "platform/host/files/windows_path.h"

namespace velsetup::host {

std::vector<std::string> RunningServices::Names() const {
  std::vector<std::string> names;
  std::ifstream in(path_, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) names.push_back(line);
  }
  return names;
}

bool RunningServices::Contains(const std::string& name) const {
  const std::vector<std::string> names = Names();
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& running) { return EqualsCaseBlind(running, name); });
}

uint32_t RunningServices::Add(const std::string& name) {
  std::vector<std::string> names = Names();
  for (const std::string& running : names) {
    if (EqualsCaseBlind(running, name)) return 0;
  }
  names.push_back(name);
  return Store(names);
}

uint32_t RunningServices::Remove(const std::string& name) {
  std::vector<std::string> names = Names();
  const auto end = std::remove_if(names.begin(), names.end(), [&](const std::string& running) {
    return EqualsCaseBlind(running, name);
  });
  if (end == names.end()) return 0;
  names.erase(end, names.end());
  return Store(names);
}

uint32_t RunningServices::Store(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + "\n";
  return ReplaceFileDurably(path_, text);
}

}  // namespace velsetup::host
