#include "platform/host/devices/host_services.h"

#include <cstring>
#include <vector>

#include "platform/host/files/windows_path.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

constexpr uint32_t kFileSystemDriver = 0x2;
constexpr uint32_t kOwnProcess = 0x10;
constexpr uint32_t kShareProcess = 0x20;
constexpr uint32_t kInteractive = 0x100;
constexpr uint32_t kDisabled = 0x4;  // start type
constexpr uint32_t kMaxErrorControl = 0x3;
constexpr size_t kMaxServiceName = 256;

constexpr uint32_t kInvalidServiceControl = 1052;
constexpr uint32_t kRequestTimeout = 1053;
constexpr uint32_t kServiceDisabled = 1058;

constexpr const char* kMakerDriverFile = "HWAMgmt.Sys";

bool IsDriver(uint32_t type) { return (type & (service::kKernelDriver | kFileSystemDriver)) != 0; }

bool ValidType(uint32_t type) {
  const uint32_t process = type & ~kInteractive;
  if (type == service::kKernelDriver || type == kFileSystemDriver) return true;
  return process == kOwnProcess || process == kShareProcess;
}

bool ValidName(const char* name) {
  if (name == nullptr || *name == '\0' || std::strlen(name) > kMaxServiceName) return false;
  return std::strpbrk(name, "\\/") == nullptr;
}

std::string FileNameOf(const std::string& windows_path) {
  const size_t backslash = windows_path.find_last_of("\\/");
  return backslash == std::string::npos ? windows_path : windows_path.substr(backslash + 1);
}

}  // namespace

HostServices::HostServices(const MachineConfig& config, RegistryApi& registry, PathMapper& paths,
                           LastError& last_error, std::string running_path)
    : nt_family_(config.nt_family()),
      windows_dir_(config.windows_dir.Text()),
      paths_(paths),
      last_error_(last_error),
      registry_(registry),
      running_(std::move(running_path)) {}

HostServices::~HostServices() {
  std::vector<std::string> services;
  for (const auto& [value, handle] : handles_) {
    if (!handle.manager) services.push_back(handle.service);
  }
  handles_.clear();
  for (const std::string& name : services) Collect(name);
}

bool HostServices::Fail(uint32_t code) {
  last_error_.code = code;
  return false;
}

ServiceHandle HostServices::FailHandle(uint32_t code) {
  last_error_.code = code;
  return 0;
}

bool HostServices::IsManager(ServiceHandle handle) const {
  const auto found = handles_.find(handle);
  return found != handles_.end() && found->second.manager;
}

const HostServices::Handle* HostServices::ServiceOf(ServiceHandle handle) const {
  const auto found = handles_.find(handle);
  return found != handles_.end() && !found->second.manager ? &found->second : nullptr;
}

ServiceHandle HostServices::NewHandle(Handle handle) {
  const ServiceHandle value = next_handle_;
  next_handle_ += 8;
  handles_[value] = std::move(handle);
  return value;
}

bool HostServices::HasHandles(const std::string& name) const {
  for (const auto& [value, handle] : handles_) {
    if (!handle.manager && EqualsCaseBlind(handle.service, name)) return true;
  }
  return false;
}

void HostServices::Collect(const std::string& name) {
  if (HasHandles(name)) return;
  ServiceRecord record;
  if (registry_.Find(name, &record) != 0 || !record.marked_for_delete) return;
  if (running_.Contains(name)) return;
  registry_.Remove(name);
}

uint32_t HostServices::Lookup(const std::string& name, ServiceRecord* record) {
  const uint32_t code = registry_.Find(name, record);
  if (code != 0 || !record->marked_for_delete || HasHandles(name) || running_.Contains(name)) {
    return code;
  }
  registry_.Remove(name);
  return service_error::kDoesNotExist;
}

ServiceHandle HostServices::OpenSCManagerA(uint32_t) {
  if (!nt_family_) return FailHandle(win32_error::kCallNotImplemented);
  Handle handle;
  handle.manager = true;
  return NewHandle(handle);
}

ServiceHandle HostServices::CreateServiceA(ServiceHandle manager, const char* name,
                                           const char* display_name, uint32_t,
                                           uint32_t service_type, uint32_t start_type,
                                           uint32_t error_control, const char* binary_path) {
  if (!nt_family_) return FailHandle(win32_error::kCallNotImplemented);
  if (!IsManager(manager)) return FailHandle(win32_error::kInvalidHandle);
  if (!ValidName(name)) return FailHandle(win32_error::kInvalidName);
  if (!ValidType(service_type) || start_type > kDisabled || error_control > kMaxErrorControl ||
      binary_path == nullptr || *binary_path == '\0') {
    return FailHandle(win32_error::kInvalidParameter);
  }
  ServiceRecord record;
  const uint32_t found = Lookup(name, &record);
  if (found == 0) {
    return FailHandle(record.marked_for_delete ? service_error::kMarkedForDelete
                                               : service_error::kExists);
  }
  if (found != service_error::kDoesNotExist) return FailHandle(found);
  record = ServiceRecord{};
  record.type = service_type;
  record.start = start_type;
  record.error_control = error_control;
  record.image_path = binary_path;
  record.display_name = display_name != nullptr && *display_name != '\0' ? display_name : name;
  if (const uint32_t code = registry_.Create(name, record)) return FailHandle(code);
  Handle handle;
  handle.service = name;
  return NewHandle(handle);
}

ServiceHandle HostServices::OpenServiceA(ServiceHandle manager, const char* name, uint32_t) {
  if (!nt_family_) return FailHandle(win32_error::kCallNotImplemented);
  if (!IsManager(manager)) return FailHandle(win32_error::kInvalidHandle);
  if (!ValidName(name)) return FailHandle(win32_error::kInvalidName);
  ServiceRecord record;
  if (const uint32_t code = Lookup(name, &record)) return FailHandle(code);
  Handle handle;
  handle.service = name;
  return NewHandle(handle);
}

uint32_t HostServices::Service(ServiceHandle service, bool answer_missing, const Handle** handle,
                               ServiceRecord* record) {
  if (!nt_family_) return win32_error::kCallNotImplemented;
  *handle = ServiceOf(service);
  if (*handle == nullptr) return win32_error::kInvalidHandle;
  if (answer_missing) return win32_error::kNoAccess;
  return registry_.Find((*handle)->service, record);
}

bool HostServices::StartServiceA(ServiceHandle service) {
  const Handle* handle = nullptr;
  ServiceRecord record;
  if (const uint32_t code = Service(service, false, &handle, &record)) return Fail(code);
  if (record.marked_for_delete) return Fail(service_error::kMarkedForDelete);
  if (running_.Contains(handle->service)) return Fail(service_error::kAlreadyRunning);
  if (record.start == kDisabled) return Fail(kServiceDisabled);
  ResolvedPath image;
  const uint32_t resolved = paths_.Resolve(ServiceImageFile(record.image_path, windows_dir_), &image);
  if (resolved != 0) return Fail(resolved);
  if (!image.exists || image.is_directory) return Fail(win32_error::kFileNotFound);
  if (!IsDriver(record.type)) return Fail(kRequestTimeout);
  if (const uint32_t code = running_.Add(handle->service)) return Fail(code);
  return true;
}

bool HostServices::QueryServiceStatus(ServiceHandle service, uint32_t* current_state) {
  const Handle* handle = nullptr;
  ServiceRecord record;
  if (const uint32_t code = Service(service, current_state == nullptr, &handle, &record)) {
    return Fail(code);
  }
  *current_state = running_.Contains(handle->service) ? service::kRunning : service::kStopped;
  return true;
}

bool HostServices::ControlService(ServiceHandle service, uint32_t control,
                                  uint32_t* current_state) {
  const Handle* handle = nullptr;
  ServiceRecord record;
  if (const uint32_t code = Service(service, false, &handle, &record)) return Fail(code);
  const bool running = running_.Contains(handle->service);
  if (current_state != nullptr) *current_state = running ? service::kRunning : service::kStopped;
  if (control != service::kControlStop) return Fail(kInvalidServiceControl);
  if (!running) return Fail(service_error::kNotActive);
  if (const uint32_t code = running_.Remove(handle->service)) return Fail(code);
  if (current_state != nullptr) *current_state = service::kStopped;
  return true;
}

bool HostServices::DeleteService(ServiceHandle service) {
  const Handle* handle = nullptr;
  ServiceRecord record;
  if (const uint32_t code = Service(service, false, &handle, &record)) return Fail(code);
  if (record.marked_for_delete) return Fail(service_error::kMarkedForDelete);
  if (const uint32_t code = registry_.MarkForDelete(handle->service)) return Fail(code);
  return true;
}

bool HostServices::CloseServiceHandle(ServiceHandle value) {
  if (!nt_family_) return Fail(win32_error::kCallNotImplemented);
  const auto found = handles_.find(value);
  if (found == handles_.end()) return Fail(win32_error::kInvalidHandle);
  const Handle handle = found->second;
  handles_.erase(found);
  if (!handle.manager) Collect(handle.service);
  return true;
}

bool HostServices::MakerDriverRunning() {
  for (const std::string& name : running_.Names()) {
    ServiceRecord record;
    if (registry_.Find(name, &record) != 0 || record.type != service::kKernelDriver) continue;
    if (EqualsCaseBlind(FileNameOf(ServiceImageFile(record.image_path, windows_dir_)),
                        kMakerDriverFile)) {
      return true;
    }
  }
  return false;
}

}  // namespace velsetup::host
