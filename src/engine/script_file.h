// Reading and writing INI files through the platform's profile calls, with
// the caller's buffer capacity applied exactly as the profile calls cut.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

// GetPrivateProfileStringA into a buffer of `capacity` characters.
std::string ReadProfileString(const std::string& file, const char* section, const char* key,
                              const char* default_value, size_t capacity);
int32_t ReadProfileInt(const std::string& file, const char* section, const char* key,
                       int32_t default_value);
bool WriteProfileString(const std::string& file, const char* section, const char* key,
                        const char* value);
// The write with section, key and value all null that makes the system write
// out what it holds of the file.
void FlushProfile(const std::string& file);

// The same on the script in use (ScriptPath).
std::string ReadScriptString(const char* section, const char* key, const char* default_value,
                             size_t capacity);
int32_t ReadScriptInt(const char* section, const char* key, int32_t default_value);
bool WriteScriptString(const char* section, const char* key, const char* value);
void FlushScript();

}  // namespace velsetup
