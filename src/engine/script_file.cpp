#include "engine/script_file.h"

#include <vector>

#include "engine/run_state.h"

namespace velsetup {

std::string ReadProfileString(const std::string& file, const char* section, const char* key,
                              const char* default_value, size_t capacity) {
  std::vector<char> buffer(capacity + 1, '\0');
  const uint32_t length = Profile().GetPrivateProfileStringA(
      section, key, default_value, buffer.data(), static_cast<uint32_t>(capacity), file.c_str());
  // A value read is one text: stop at its terminator, never past the buffer.
  size_t end = 0;
  while (end < capacity && end < length && buffer[end] != '\0') ++end;
  return std::string(buffer.data(), end);
}

int32_t ReadProfileInt(const std::string& file, const char* section, const char* key,
                       int32_t default_value) {
  return static_cast<int32_t>(
      Profile().GetPrivateProfileIntA(section, key, default_value, file.c_str()));
}

bool WriteProfileString(const std::string& file, const char* section, const char* key,
                        const char* value) {
  return Profile().WritePrivateProfileStringA(section, key, value, file.c_str());
}

void FlushProfile(const std::string& file) {
  Profile().WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

std::string ReadScriptString(const char* section, const char* key, const char* default_value,
                             size_t capacity) {
  return ReadProfileString(Run().script_path, section, key, default_value, capacity);
}

int32_t ReadScriptInt(const char* section, const char* key, int32_t default_value) {
  return ReadProfileInt(Run().script_path, section, key, default_value);
}

bool WriteScriptString(const char* section, const char* key, const char* value) {
  return WriteProfileString(Run().script_path, section, key, value);
}

void FlushScript() { FlushProfile(Run().script_path); }

}  // namespace velsetup
