// Devices and the service control manager: how the tool reaches the maker's
// CMOS drivers. Calls follow the Win32 ones of the same names; failures leave
// their code where GetLastError() finds it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velsetup {

using DeviceHandle = uintptr_t;
constexpr DeviceHandle kInvalidDevice = ~DeviceHandle{0};

class DeviceApi {
 public:
  virtual ~DeviceApi() = default;
  // CreateFileA(name, GENERIC_READ | GENERIC_WRITE, no sharing, no security
  // attributes, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, no template).
  virtual DeviceHandle OpenDevice(const char* name) = 0;
  // DeviceIoControl without overlapping; `returned` gets the bytes written
  // to `out`.
  virtual bool DeviceIoControl(DeviceHandle device, uint32_t code, const void* in,
                               uint32_t in_size, void* out, uint32_t out_size,
                               uint32_t* returned) = 0;
  virtual bool CloseDevice(DeviceHandle device) = 0;
  // Memory that a 32-bit address reaches, as the Windows 9x driver's
  // register blocks carry buffer addresses in 32 bits; it lives as long as
  // the platform. Null where the process cannot have any.
  virtual uint8_t* LowMemory(size_t size) = 0;
};

using ServiceHandle = uintptr_t;  // 0: no handle, as SC_HANDLE null

namespace service {
constexpr uint32_t kManagerAllAccess = 0xF003F;  // SC_MANAGER_ALL_ACCESS
constexpr uint32_t kAllAccess = 0xF01FF;         // SERVICE_ALL_ACCESS
constexpr uint32_t kKernelDriver = 0x1;          // SERVICE_KERNEL_DRIVER
constexpr uint32_t kDemandStart = 0x3;           // SERVICE_DEMAND_START
constexpr uint32_t kErrorNormal = 0x1;           // SERVICE_ERROR_NORMAL
constexpr uint32_t kControlStop = 0x1;           // SERVICE_CONTROL_STOP
constexpr uint32_t kStopped = 0x1;               // SERVICE_STOPPED
constexpr uint32_t kStartPending = 0x2;          // SERVICE_START_PENDING
constexpr uint32_t kRunning = 0x4;               // SERVICE_RUNNING
}  // namespace service

namespace service_error {
constexpr uint32_t kAlreadyRunning = 1056;     // ERROR_SERVICE_ALREADY_RUNNING
constexpr uint32_t kDoesNotExist = 1060;       // ERROR_SERVICE_DOES_NOT_EXIST
constexpr uint32_t kNotActive = 1062;          // ERROR_SERVICE_NOT_ACTIVE
constexpr uint32_t kMarkedForDelete = 1072;    // ERROR_SERVICE_MARKED_FOR_DELETE
constexpr uint32_t kExists = 1073;             // ERROR_SERVICE_EXISTS
}  // namespace service_error

class ServiceApi {
 public:
  virtual ~ServiceApi() = default;
  // The local machine's default database. Fails with 120 on the Windows 9x
  // family, which has no service control manager.
  virtual ServiceHandle OpenSCManagerA(uint32_t access) = 0;
  // No load order group, tag, dependencies, account or password.
  virtual ServiceHandle CreateServiceA(ServiceHandle manager, const char* name,
                                       const char* display_name, uint32_t access,
                                       uint32_t service_type, uint32_t start_type,
                                       uint32_t error_control, const char* binary_path) = 0;
  virtual ServiceHandle OpenServiceA(ServiceHandle manager, const char* name,
                                     uint32_t access) = 0;
  // No arguments.
  virtual bool StartServiceA(ServiceHandle service) = 0;
  // dwCurrentState of the SERVICE_STATUS.
  virtual bool QueryServiceStatus(ServiceHandle service, uint32_t* current_state) = 0;
  virtual bool ControlService(ServiceHandle service, uint32_t control,
                              uint32_t* current_state) = 0;
  virtual bool DeleteService(ServiceHandle service) = 0;
  virtual bool CloseServiceHandle(ServiceHandle handle) = 0;
};

}  // namespace velsetup
