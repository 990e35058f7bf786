// ProfileApi of the simulated machine: Windows paths mapped through the
// simulated file system onto the profile engine.
#pragma once

#include "platform/host/host_file_access.h"
#include "platform/host/profile_store.h"
#include "platform/platform.h"

namespace velsetup::host {

class HostProfile : public ProfileApi {
 public:
  explicit HostProfile(HostFileAccess& files) : files_(files) {}

  uint32_t GetPrivateProfileStringA(const char* section, const char* key,
                                    const char* default_value, char* buffer, uint32_t size,
                                    const char* file) override;
  uint32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t default_value,
                                 const char* file) override;
  uint32_t GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                     const char* file) override;
  bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                  const char* file) override;
  bool WritePrivateProfileSectionA(const char* section, const char* data,
                                   const char* file) override;

  ProfileStore& store() { return store_; }

 private:
  HostFileAccess& files_;
  ProfileStore store_;
};

}  // namespace velsetup::host
