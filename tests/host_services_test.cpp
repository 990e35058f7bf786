#include "platform/host/devices/host_services.h"

#include <gtest/gtest.h>

#include "simulated_machine_fixture.h"

namespace velsetup::host {
namespace {

constexpr const char* kImage = "C:\\WINNT\\system32\\Drivers\\HWAMgmt.Sys";
constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\HWAMgmt12";

class HostServicesTest : public testing::SimulatedMachineTest {
 protected:
  void SetUp() override {
    Open("win2000");
    WriteC("WINNT/system32/drivers/HWAMgmt.Sys");
    manager_ = p_.services->OpenSCManagerA(service::kManagerAllAccess);
    ASSERT_NE(manager_, 0u);
  }
  void Reopen() {
    Open("win2000");
    manager_ = p_.services->OpenSCManagerA(service::kManagerAllAccess);
  }
  ServiceHandle Create(const char* name = "HWAMgmt12", const char* image = kImage) {
    return p_.services->CreateServiceA(manager_, name, name, service::kAllAccess,
                                       service::kKernelDriver, service::kDemandStart,
                                       service::kErrorNormal, image);
  }
  ServiceHandle OpenService(const char* name = "HWAMgmt12") {
    return p_.services->OpenServiceA(manager_, name, service::kAllAccess);
  }
  uint32_t State(ServiceHandle service) {
    uint32_t state = 0;
    return p_.services->QueryServiceStatus(service, &state) ? state : 1000 + Error();
  }
  // The registry value as "type:bytes", "missing" when the key is gone.
  std::string Value(const char* name) {
    RegistryKey key = 0;
    if (p_.registry->RegOpenKeyExA(registry_key::kLocalMachine, kServiceKey, 0,
                                   registry_access::kRead, &key) != 0) {
      return "missing";
    }
    char data[128] = {};
    uint32_t type = 0, size = sizeof data;
    const int32_t code = p_.registry->RegQueryValueExA(key, name, &type,
                                                       reinterpret_cast<uint8_t*>(data), &size);
    p_.registry->RegCloseKey(key);
    if (code != 0) return "no value";
    if (type == registry_type::kDword) return "4:" + std::to_string(data[0]);
    return std::to_string(type) + ":" + data;
  }
  std::string RunningFile() { return testing::ReadHostFile(dir_ / "services.running"); }

  ServiceHandle manager_ = 0;
};

TEST_F(HostServicesTest, ServiceIsKeptAsWindowsKeepsItAndOutlivesTheRun) {
  const ServiceHandle created = Create();
  ASSERT_NE(created, 0u);
  EXPECT_EQ(Value("Type"), "4:1");
  EXPECT_EQ(Value("Start"), "4:3");
  EXPECT_EQ(Value("ErrorControl"), "4:1");
  EXPECT_EQ(Value("ImagePath"), std::string("2:") + kImage);
  EXPECT_EQ(Value("DisplayName"), "1:HWAMgmt12");
  EXPECT_EQ(Create("hwamgmt12"), 0u);
  EXPECT_EQ(Error(), 1073u);
  EXPECT_EQ(State(created), 1u);
  EXPECT_TRUE(p_.services->StartServiceA(created));
  EXPECT_EQ(State(created), 4u);
  EXPECT_FALSE(p_.services->StartServiceA(created));
  EXPECT_EQ(Error(), 1056u);
  EXPECT_EQ(RunningFile(), "HWAMgmt12\n");

  Reopen();
  const ServiceHandle opened = OpenService("HWAMGMT12");
  ASSERT_NE(opened, 0u);
  EXPECT_EQ(State(opened), 4u) << "a started driver stays loaded after the run";
  uint32_t state = 0;
  EXPECT_FALSE(p_.services->ControlService(opened, 4, &state));
  EXPECT_EQ(Error(), 1052u);
  EXPECT_TRUE(p_.services->ControlService(opened, service::kControlStop, &state));
  EXPECT_EQ(state, service::kStopped);
  EXPECT_FALSE(p_.services->ControlService(opened, service::kControlStop, &state));
  EXPECT_EQ(Error(), 1062u);
  EXPECT_EQ(RunningFile(), "");
}

TEST_F(HostServicesTest, CallsFailWithTheServiceControlManagersCodes) {
  EXPECT_EQ(OpenService(), 0u);
  EXPECT_EQ(Error(), 1060u);
  EXPECT_EQ(OpenService("a\\b"), 0u);
  EXPECT_EQ(Error(), 123u);
  const ServiceHandle missing_image = Create("Other", "C:\\WINNT\\system32\\drivers\\none.sys");
  ASSERT_NE(missing_image, 0u);
  EXPECT_FALSE(p_.services->StartServiceA(missing_image));
  EXPECT_EQ(Error(), 2u);
  EXPECT_FALSE(p_.services->StartServiceA(manager_));
  EXPECT_EQ(Error(), 6u) << "a manager handle is no service handle";
  EXPECT_EQ(p_.services->OpenServiceA(missing_image, "Other", service::kAllAccess), 0u);
  EXPECT_EQ(Error(), 6u);
  EXPECT_TRUE(p_.services->CloseServiceHandle(missing_image));
  EXPECT_FALSE(p_.services->CloseServiceHandle(missing_image));
  EXPECT_EQ(Error(), 6u);
  EXPECT_EQ(State(missing_image), 1006u);

  Open("win98");
  EXPECT_EQ(p_.services->OpenSCManagerA(service::kManagerAllAccess), 0u);
  EXPECT_EQ(Error(), 120u) << "Windows 9x has no service control manager";
}

TEST_F(HostServicesTest, MarkedServiceGoesOnceStoppedAndUnreferenced) {
  const ServiceHandle created = Create();
  ASSERT_TRUE(p_.services->StartServiceA(created));
  const ServiceHandle other = OpenService();
  EXPECT_TRUE(p_.services->DeleteService(created));
  EXPECT_FALSE(p_.services->DeleteService(other));
  EXPECT_EQ(Error(), 1072u);
  EXPECT_EQ(Create(), 0u);
  EXPECT_EQ(Error(), 1072u);
  EXPECT_EQ(Value("DeleteFlag"), "4:1");
  p_.services->CloseServiceHandle(created);
  p_.services->CloseServiceHandle(other);

  // Still running: the run ends, and the mark stays with the service.
  Reopen();
  EXPECT_EQ(Create(), 0u);
  EXPECT_EQ(Error(), 1072u);
  const ServiceHandle later = OpenService();
  ASSERT_NE(later, 0u);
  EXPECT_FALSE(p_.services->StartServiceA(later));
  EXPECT_EQ(Error(), 1072u);
  uint32_t state = 0;
  EXPECT_TRUE(p_.services->ControlService(later, service::kControlStop, &state));
  EXPECT_EQ(Value("Type"), "4:1") << "a handle still refers to it";
  EXPECT_TRUE(p_.services->CloseServiceHandle(later));
  EXPECT_EQ(Value("Type"), "missing");
  EXPECT_NE(Create(), 0u);

  // A stopped service marked by a run that ended without closing its handle.
  const ServiceHandle kept = OpenService();
  EXPECT_TRUE(p_.services->DeleteService(kept));
  Reopen();
  EXPECT_EQ(OpenService(), 0u);
  EXPECT_EQ(Error(), 1060u);
}

}  // namespace
}  // namespace velsetup::host
