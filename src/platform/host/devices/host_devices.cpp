#include "platform/host/devices/host_devices.h"

#include "platform/driver_contract.h"
#include "platform/host/files/windows_path.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

constexpr const char* kWin9xDevice = cmos_contract::win9x::kDevice;
constexpr const char* kNtDevice = cmos_contract::nt::kDevice;
constexpr const char* kWin9xDriverFile = cmos_contract::win9x::kDriverFile;

}  // namespace

HostDevices::HostDevices(const MachineConfig& config, PathMapper& paths, LastError& last_error,
                         HostServices& services, std::string cmos_path)
    : nt_family_(config.nt_family()),
      system_dir_(config.system_dir.Text()),
      paths_(paths),
      last_error_(last_error),
      services_(services),
      cmos_(std::move(cmos_path)),
      bios_(config),
      win9x_(cmos_, bios_, low_memory_),
      nt_(cmos_, bios_) {}

DeviceHandle HostDevices::FailOpen(uint32_t code) {
  last_error_.code = code;
  return kInvalidDevice;
}

bool HostDevices::Fail(uint32_t code) {
  last_error_.code = code;
  return false;
}

bool HostDevices::IsOpen(Device device) const {
  for (const auto& [handle, open] : handles_) {
    if (open == device) return true;
  }
  return false;
}

bool HostDevices::Win9xDriverPresent() {
  if (nt_family_) return false;
  const std::string separator = !system_dir_.empty() && system_dir_.back() == '\\' ? "" : "\\";
  ResolvedPath file;
  if (paths_.Resolve(system_dir_ + separator + kWin9xDriverFile, &file) != 0) return false;
  return file.exists && !file.is_directory && win9x_.Load();
}

DeviceHandle HostDevices::OpenDevice(const char* name) {
  if (name == nullptr) return FailOpen(win32_error::kPathNotFound);
  Device device;
  if (EqualsCaseBlind(name, kWin9xDevice)) {
    if (!Win9xDriverPresent()) return FailOpen(win32_error::kFileNotFound);
    device = Device::kWin9x;
  } else if (EqualsCaseBlind(name, kNtDevice)) {
    if (!nt_family_ || !services_.MakerDriverRunning()) {
      return FailOpen(win32_error::kFileNotFound);
    }
    device = Device::kNt;
  } else {
    return FailOpen(win32_error::kFileNotFound);
  }
  if (IsOpen(device)) return FailOpen(win32_error::kAccessDenied);
  const DeviceHandle handle = next_handle_;
  next_handle_ += 4;
  handles_[handle] = device;
  return handle;
}

bool HostDevices::DeviceIoControl(DeviceHandle device, uint32_t code, const void* in,
                                  uint32_t in_size, void* out, uint32_t out_size,
                                  uint32_t* returned) {
  if (returned != nullptr) *returned = 0;
  const auto found = handles_.find(device);
  if (found == handles_.end()) return Fail(win32_error::kInvalidHandle);
  if ((in == nullptr && in_size != 0) || (out == nullptr && out_size != 0)) {
    return Fail(win32_error::kNoAccess);
  }
  DeviceRequest request{static_cast<const uint8_t*>(in), in_size, static_cast<uint8_t*>(out),
                        out_size};
  const uint32_t error = found->second == Device::kWin9x ? win9x_.Control(code, request)
                                                         : nt_.Control(code, request);
  if (error != 0) return Fail(error);
  if (returned != nullptr) *returned = request.returned;
  return true;
}

bool HostDevices::CloseDevice(DeviceHandle device) {
  if (handles_.erase(device) == 0) return Fail(win32_error::kInvalidHandle);
  return true;
}

uint8_t* HostDevices::LowMemory(size_t size) { return low_memory_.Allocate(size); }

}  // namespace velsetup::host
