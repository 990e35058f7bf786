// A simulated machine for the device and service tests: one machine
// directory, opened (and reopened, as a later run would) on a given Windows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host_test_support.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::host::testing {

class SimulatedMachineTest : public ::testing::Test {
 protected:
  // `bios` is the text of machine.ini [Bios]. The previous platform is
  // closed first, as at the end of a run.
  void Open(const std::string& os, const std::string& bios = "") {
    WriteHostFile(dir_ / "machine.ini",
                  "[Machine]\nOS=" + os + "\n[Drives]\nC=drive_c\nZ=\n[Bios]\n" + bios);
    machine_.reset();
    std::string error;
    machine_ = HostPlatform::Open(dir_.path(), "/velsetup", &error);
    ASSERT_TRUE(machine_) << error;
    p_ = machine_->platform();
  }
  uint32_t Error() { return p_.system->GetLastError(); }
  // A file of drive C:, by its host path below drive_c.
  void WriteC(const std::string& path, const std::string& bytes = "driver") {
    ::system(("mkdir -p '" + (dir_ / "drive_c/") + path.substr(0, path.rfind('/')) + "'").c_str());
    WriteHostFile(dir_ / ("drive_c/" + path), bytes);
  }
  std::string Cmos() const { return ReadHostFile(dir_ / "cmos.bin"); }

  // Creates a kernel-driver service (and starts it unless told not to);
  // 0 or the error of the failed step.
  uint32_t InstallDriver(const char* name, const char* image, bool start = true) {
    const ServiceHandle manager = p_.services->OpenSCManagerA(service::kManagerAllAccess);
    if (manager == 0) return Error();
    const ServiceHandle created = p_.services->CreateServiceA(
        manager, name, name, service::kAllAccess, service::kKernelDriver, service::kDemandStart,
        service::kErrorNormal, image);
    uint32_t code = created == 0 ? Error() : 0;
    if (code == 0 && start && !p_.services->StartServiceA(created)) code = Error();
    if (created != 0) p_.services->CloseServiceHandle(created);
    p_.services->CloseServiceHandle(manager);
    return code;
  }

  ScratchDir dir_;
  std::unique_ptr<HostPlatform> machine_;
  Platform p_;
};

}  // namespace velsetup::host::testing
