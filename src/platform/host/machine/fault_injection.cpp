#include "platform/host/machine/fault_injection.h"

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

// The calls whose seams above can fail; a fault on any other name would
// never fire.
constexpr const char* kInjectableCalls[] = {
    "AppendText",        "CopyFileA",        "CreateDirectoryA",   "DeleteFileA",
    "MoveFileA",         "MoveFileExA",      "ReadWholeFile",      "RegCreateKeyExA",
    "RegDeleteKeyA",     "RegDeleteValueA",  "RegSetValueExA",     "RemoveDirectoryA",
    "SetFileAttributesA", "WriteNewFile",    "WritePrivateProfileSectionA",
    "WritePrivateProfileStringA",
};

// A positive decimal number that fits 32 bits.
bool IsCount(const std::string& text) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  return value > 0 && value <= 0xFFFFFFFFull;
}

std::string CallProblem(const std::string& item) {
  const std::string quoted = "'" + item + "'";
  std::string rest = item;
  const size_t at = rest.find('@');
  if (at != std::string::npos) {
    if (at + 1 == rest.size()) return quoted + " has nothing after its '@'";
    rest.resize(at);
  }
  const size_t first = rest.find(':');
  if (first == std::string::npos) return quoted + " is not <call>:<error>[:<nth>][@<text>]";
  const std::string call = rest.substr(0, first);
  bool known = false;
  for (const char* name : kInjectableCalls) known = known || call == name;
  if (!known) {
    std::string names;
    for (const char* name : kInjectableCalls) names += std::string(names.empty() ? "" : ", ") + name;
    return quoted + ": no call named '" + call + "' can be made to fail (" + names + ")";
  }
  const size_t second = rest.find(':', first + 1);
  const std::string error = rest.substr(first + 1, second == std::string::npos
                                                        ? std::string::npos
                                                        : second - first - 1);
  if (!IsCount(error)) return quoted + ": '" + error + "' is no Win32 error number";
  if (second != std::string::npos && !IsCount(rest.substr(second + 1))) {
    return quoted + ": '" + rest.substr(second + 1) + "' is no call count (1 is the first)";
  }
  return std::string();
}

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

std::string Problem(const char* kill_after_writes, const char* fail_call) {
  if (kill_after_writes != nullptr && *kill_after_writes != '\0' &&
      !IsCount(kill_after_writes)) {
    return std::string("VELSETUP_KILL_AFTER_WRITES='") + kill_after_writes +
           "' is not a number of writes (1 or more)";
  }
  if (fail_call == nullptr || *fail_call == '\0') return std::string();
  const std::string text = fail_call;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string problem = CallProblem(text.substr(start, end - start));
    if (!problem.empty()) return "VELSETUP_FAIL_CALL: " + problem;
    if (end == text.size()) return std::string();
    start = end + 1;
  }
}

std::string EnvironmentProblem() {
  return Problem(std::getenv("VELSETUP_KILL_AFTER_WRITES"), std::getenv("VELSETUP_FAIL_CALL"));
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
