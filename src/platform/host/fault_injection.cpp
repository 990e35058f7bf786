#include "platform/host/fault_injection.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace velsetup::host {

namespace fault {

namespace {

struct CallFault {
  std::string call;
  uint32_t error = 0;
  uint64_t nth = 0;  // 0: every call
  std::string subject;  // empty: any
  uint64_t seen = 0;
};

struct Plan {
  uint64_t kill_after = 0;  // 0: never
  uint64_t writes = 0;
  std::vector<CallFault> calls;
};

uint64_t Number(const std::string& text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0' ? value : 0;
}

// "CopyFileA:5,AppendText:112:3@DONE"; a malformed item is ignored rather
// than guessed at.
std::vector<CallFault> ParseCalls(const std::string& text) {
  std::vector<CallFault> calls;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    start = end + 1;
    CallFault fault;
    const size_t at = item.find('@');
    if (at != std::string::npos) {
      fault.subject = item.substr(at + 1);
      item.resize(at);
    }
    const size_t first = item.find(':');
    if (first == std::string::npos || first == 0) continue;
    const size_t second = item.find(':', first + 1);
    fault.call = item.substr(0, first);
    fault.error = static_cast<uint32_t>(Number(item.substr(
        first + 1, second == std::string::npos ? std::string::npos : second - first - 1)));
    if (second != std::string::npos) {
      fault.nth = Number(item.substr(second + 1));
      if (fault.nth == 0) continue;
    }
    if (fault.error != 0) calls.push_back(fault);
  }
  return calls;
}

Plan& ThePlan() {
  static Plan plan = [] {
    Plan made;
    if (const char* kill = std::getenv("VELSETUP_KILL_AFTER_WRITES")) made.kill_after = Number(kill);
    if (const char* calls = std::getenv("VELSETUP_FAIL_CALL")) made.calls = ParseCalls(calls);
    return made;
  }();
  return plan;
}

}  // namespace

void Wrote() {
  Plan& plan = ThePlan();
  if (plan.kill_after != 0 && ++plan.writes == plan.kill_after) ::kill(::getpid(), SIGKILL);
}

uint32_t InjectedError(const char* name, std::string_view subject) {
  for (CallFault& fault : ThePlan().calls) {
    if (fault.call != name) continue;
    if (!fault.subject.empty() && subject.find(fault.subject) == std::string_view::npos) continue;
    ++fault.seen;
    if (fault.nth == 0 || fault.seen == fault.nth) return fault.error;
  }
  return 0;
}

bool Configured() {
  const Plan& plan = ThePlan();
  return plan.kill_after != 0 || !plan.calls.empty();
}

}  // namespace fault

namespace {

std::string_view Subject(const char* text) { return text == nullptr ? "" : text; }

}  // namespace

bool FaultyFiles::Allowed(const char* name, const char* subject) {
  const uint32_t error = fault::InjectedError(name, Subject(subject));
  if (error == 0) return true;
  last_error_.code = error;
  return false;
}

bool FaultyFiles::Counted(bool done) {
  if (done) fault::Wrote();
  return done;
}

bool FaultyFiles::SetFileAttributesA(const char* path, uint32_t attributes) {
  return Allowed("SetFileAttributesA", path) && Counted(inner_.SetFileAttributesA(path, attributes));
}
bool FaultyFiles::CopyFileA(const char* source, const char* destination, bool fail_if_exists) {
  return Allowed("CopyFileA", destination) &&
         Counted(inner_.CopyFileA(source, destination, fail_if_exists));
}
bool FaultyFiles::DeleteFileA(const char* path) {
  return Allowed("DeleteFileA", path) && Counted(inner_.DeleteFileA(path));
}
bool FaultyFiles::AppendText(const char* path, const std::string& text) {
  return Allowed("AppendText", text.c_str()) && Counted(inner_.AppendText(path, text));
}
bool FaultyFiles::ReadWholeFile(const char* path, std::string* bytes) {
  if (!Allowed("ReadWholeFile", path)) {
    bytes->clear();
    return false;
  }
  return inner_.ReadWholeFile(path, bytes);
}
bool FaultyFiles::WriteNewFile(const char* path, const std::string& bytes) {
  return Allowed("WriteNewFile", path) && Counted(inner_.WriteNewFile(path, bytes));
}
bool FaultyFiles::MoveFileA(const char* existing, const char* new_name) {
  return Allowed("MoveFileA", existing) && Counted(inner_.MoveFileA(existing, new_name));
}
bool FaultyFiles::MoveFileExA(const char* existing, const char* new_name, uint32_t flags) {
  return Allowed("MoveFileExA", existing) && Counted(inner_.MoveFileExA(existing, new_name, flags));
}
bool FaultyFiles::CreateDirectoryA(const char* path) {
  return Allowed("CreateDirectoryA", path) && Counted(inner_.CreateDirectoryA(path));
}
bool FaultyFiles::RemoveDirectoryA(const char* path) {
  return Allowed("RemoveDirectoryA", path) && Counted(inner_.RemoveDirectoryA(path));
}

bool FaultyProfile::WritePrivateProfileStringA(const char* section, const char* key,
                                               const char* value, const char* file) {
  // A flush writes nothing that could fail.
  const bool flush = section == nullptr && key == nullptr && value == nullptr;
  if (!flush) {
    if (const uint32_t error = fault::InjectedError("WritePrivateProfileStringA", Subject(key))) {
      last_error_.code = error;
      return false;
    }
  }
  return inner_.WritePrivateProfileStringA(section, key, value, file);
}

bool FaultyProfile::WritePrivateProfileSectionA(const char* section, const char* data,
                                                const char* file) {
  if (const uint32_t error = fault::InjectedError("WritePrivateProfileSectionA", Subject(section))) {
    last_error_.code = error;
    return false;
  }
  return inner_.WritePrivateProfileSectionA(section, data, file);
}

int32_t FaultyRegistry::RegCreateKeyExA(RegistryKey key, const char* sub_key, uint32_t options,
                                        uint32_t access, RegistryKey* result) {
  if (const uint32_t error = fault::InjectedError("RegCreateKeyExA", Subject(sub_key))) {
    return static_cast<int32_t>(error);
  }
  return inner_.RegCreateKeyExA(key, sub_key, options, access, result);
}
int32_t FaultyRegistry::RegSetValueExA(RegistryKey key, const char* value_name, uint32_t type,
                                       const uint8_t* data, uint32_t size) {
  if (const uint32_t error = fault::InjectedError("RegSetValueExA", Subject(value_name))) {
    return static_cast<int32_t>(error);
  }
  return inner_.RegSetValueExA(key, value_name, type, data, size);
}
int32_t FaultyRegistry::RegDeleteValueA(RegistryKey key, const char* value_name) {
  if (const uint32_t error = fault::InjectedError("RegDeleteValueA", Subject(value_name))) {
    return static_cast<int32_t>(error);
  }
  return inner_.RegDeleteValueA(key, value_name);
}
int32_t FaultyRegistry::RegDeleteKeyA(RegistryKey key, const char* sub_key) {
  if (const uint32_t error = fault::InjectedError("RegDeleteKeyA", Subject(sub_key))) {
    return static_cast<int32_t>(error);
  }
  return inner_.RegDeleteKeyA(key, sub_key);
}

}  // namespace velsetup::host
