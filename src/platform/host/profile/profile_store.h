// The private-profile engine of the simulated machine, on host paths.
//
// Each member behaves as the private-profile call it serves does on Windows
// (NT family), byte for byte in what it returns and what it writes:
// GetString as GetPrivateProfileStringA, GetInt as GetPrivateProfileIntA,
// GetSection as GetPrivateProfileSectionA, WriteString and WriteSection as
// WritePrivateProfileStringA and WritePrivateProfileSectionA. The
// `HostProfile` facade maps Windows paths onto it. The machine's own
// machine.ini is read through it too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velsetup::host {

class ProfileStore {
 public:
  ProfileStore();
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // `*error` receives the Win32 error code when the call sets the thread's
  // last error, and is left alone when the call leaves it as it was (a read
  // that finds no key, for one, leaves it untouched, as Windows does).
  uint32_t GetString(const char* section, const char* key, const char* default_value,
                     char* buffer, uint32_t size, const std::string& host_path,
                     uint32_t* error);
  uint32_t GetInt(const char* section, const char* key, int32_t default_value,
                  const std::string& host_path, uint32_t* error);
  uint32_t GetSection(const char* section, char* buffer, uint32_t size,
                      const std::string& host_path, uint32_t* error);
  bool WriteString(const char* section, const char* key, const char* value,
                   const std::string& host_path, uint32_t* error);
  bool WriteSection(const char* section, const char* data, const std::string& host_path,
                    uint32_t* error);

  // Whether another process holds a lock on the file, so that a write must
  // be refused as a sharing violation.
  bool IsLockedByOther(const std::string& host_path);

  // Drops every parsed file, so the next call reads from disk. The store
  // notices changes made behind its back by their file times; writers in
  // this process that change profile files call this as well.
  void Forget();

  // Convenience for the simulation's own configuration files.
  std::string ReadString(const std::string& host_path, const std::string& section,
                         const std::string& key, const std::string& default_value);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velsetup::host
