// The CMOS driver table run in-process on a simulated machine: what reaches
// the machine's CMOS, registry and services, and what the install log says.
#include "cmos/cmos_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run_state.h"
#include "machine_run_fixture.h"
#include "platform/host/files/dos_attributes.h"

namespace velsetup::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kNotFound = "The system cannot find the file specified.  ";

class CmosDriverTest : public MachineRunTest {
 protected:
  void SetUp() override {}
  // The tool lies in C:\KIT with both driver files beside it.
  void Open(const std::string& os, const std::string& more = "") {
    OpenMachine("OS=" + os + "\nModulePath=C:\\KIT\\velsetup.exe\n" + more);
    WriteC("C:\\KIT\\HWAInt15.VxD", "vxd");
    WriteC("C:\\KIT\\HWAMGMT.SYS", "sys");
    SelectCmosDriver();
  }
  std::string CmosBin() const { return host::testing::ReadHostFile(dir_ / "cmos.bin"); }
  uint32_t ServiceState() {
    const ServiceHandle manager = Services().OpenSCManagerA(service::kManagerAllAccess);
    const ServiceHandle service = Services().OpenServiceA(manager, "HWAMgmt12", service::kAllAccess);
    uint32_t state = 0;  // 0: no such service
    if (service != 0) Services().QueryServiceStatus(service, &state);
    Services().CloseServiceHandle(service);
    Services().CloseServiceHandle(manager);
    return state;
  }
  // Registers the service, or starts the one registered, as another program would.
  void PrepareService(bool start) {
    const ServiceHandle manager = Services().OpenSCManagerA(service::kManagerAllAccess);
    ServiceHandle service = Services().OpenServiceA(manager, "HWAMgmt12", service::kAllAccess);
    if (service == 0) {
      service = Services().CreateServiceA(
          manager, "HWAMgmt12", "HWAMgmt12", service::kAllAccess, service::kKernelDriver,
          service::kDemandStart, service::kErrorNormal, "C:\\WINNT\\system32\\Drivers\\HWAMgmt.Sys");
    }
    ASSERT_NE(service, 0u);
    if (start) {
      ASSERT_TRUE(Services().StartServiceA(service));
    }
    Services().CloseServiceHandle(service);
    Services().CloseServiceHandle(manager);
  }
};

TEST_F(CmosDriverTest, ChecksumOfBytes16To45GoesTo46And47OnBothDrivers) {
  for (const char* os : {"win98", "win2000"}) {
    Open(os);
    host::testing::WriteHostFile(dir_ / "cmos.bin",
                                 std::string(16, '\0') + std::string(30, '\xFF') + std::string(82, '\0'));
    ASSERT_EQ(Cmos().LoadDriver(), 0u) << os;
    ASSERT_EQ(Cmos().OpenVDD(), 0u) << os;
    TakeLog();
    Cmos().UpdateCMOSChecksum();
    Cmos().CloseVDD();
    EXPECT_EQ(CmosBin().substr(46, 2), "\x1D\xE2") << os;
    if (std::string(os) == "win2000") {
      EXPECT_EQ(TakeLog(), (Lines{"VxD - SUCCESSFULLY read CMOS checksum range", "",
                                  "VxD - Checksum calculated = 1de2", "",
                                  "WriteCMOSNT - DeviceIoControl Successful",
                                  "WriteCMOSNT - DeviceIoControl Successful"}));
    } else {
      EXPECT_EQ(TakeLog(), Lines{"CloseHWAInt15() - HWAInt15.VxD driver has been closed."});
    }
  }
}

TEST_F(CmosDriverTest, BiosDataAndCmosBytesReachTheCallerOnBothDrivers) {
  for (const char* os : {"win98", "win2000"}) {
    Open(os, "[Bios]\nSystemID=0x4711\nIdString=BIOS 1.02\n");
    Cmos().LoadDriver();
    ASSERT_EQ(Cmos().OpenVDD(), 0u) << os;
    std::string signature, id_text;
    EXPECT_EQ(Cmos().GetVelmorString(&signature), 0u);
    EXPECT_EQ(signature, "VELMOR") << os;
    EXPECT_EQ(Cmos().GetSystemID(), 0x4711) << os;
    EXPECT_EQ(Cmos().GetBiosString(&id_text), 0u) << os;
    EXPECT_EQ(id_text, "BIOS 1.02") << os;
    Cmos().SetLangCodeInCMOS(9);
    Cmos().WriteCMOS(70, 0xA5);
    uint8_t value = 0;
    EXPECT_EQ(Cmos().ReadCMOS(70, &value), 0u);
    EXPECT_EQ(value, 0xA5) << os;
    EXPECT_EQ(CmosBin()[0x60], 9) << os;
    Cmos().CloseVDD();
  }
  Open("win98", "[Bios]\nSignature=\n");
  Cmos().LoadDriver();
  ASSERT_EQ(Cmos().OpenVDD(), 0u);
  std::string other = "untouched";
  Cmos().GetVelmorString(&other);
  EXPECT_EQ(other, "") << "another maker's machine";
}

TEST_F(CmosDriverTest, EachNtOpenInstallsTheServiceAndEachCloseRemovesIt) {
  Open("win2000");
  Cmos().LoadDriver();
  TakeLog();
  for (int use = 0; use < 2; ++use) {
    ASSERT_EQ(Cmos().OpenVDD(), 0u);
    EXPECT_EQ(Cmos().OpenVDD(), 0u) << "already open: nothing is done";
    EXPECT_EQ(TakeLog(), Lines{"OpenHWAMGMT - HWAMGMT.SYS Successful"});
    EXPECT_EQ(ServiceState(), service::kRunning);
    Cmos().CloseVDD();
    EXPECT_EQ(ServiceState(), 0u) << "stopped and deleted after use " << use;
  }
  Cmos().DeleteDriver();
  EXPECT_EQ(TakeLog(), Lines{"DelHWAMGMT - HWAMGMT.SYS delete was successful"});
}

TEST_F(CmosDriverTest, NtServiceThatWasThereBeforeTheRunIsLeftAsItWas) {
  // One machine, two runs: the service is registered before the first and
  // running before the second.
  for (const bool running : {false, true}) {
    Open("win2000");
    Cmos().LoadDriver();
    PrepareService(running);
    ASSERT_EQ(Cmos().OpenVDD(), 0u);
    EXPECT_EQ(ServiceState(), service::kRunning);
    Cmos().CloseVDD();
    EXPECT_EQ(ServiceState(), running ? service::kRunning : service::kStopped);
  }
}

TEST_F(CmosDriverTest, DriverFileIsPlacedOverAReadOnlyCopyAndReportedWhenMissing) {
  Open("win98");
  WriteC("C:\\WINDOWS\\SYSTEM\\HWAInt15.VxD", "old");
  host::DosAttributes().Store(HostPath("C:\\WINDOWS\\SYSTEM\\HWAInt15.VxD"), file_attribute::kReadOnly);
  EXPECT_EQ(Cmos().LoadDriver(), 0u);
  EXPECT_EQ(TakeLog(), Lines{"LoadHWAInt15 - HWAInt15.VxD load Successful"});
  EXPECT_EQ(ReadC("C:\\WINDOWS\\SYSTEM\\HWAInt15.VxD"), "vxd");

  // A system directory that is a drive's root ends in a backslash.
  Open("win95", "SystemDir=C:\\\n");
  ::unlink(HostPath("C:\\KIT\\HWAInt15.VxD").c_str());
  EXPECT_EQ(Cmos().LoadDriver(), 1u);
  const std::string copy = "LoadHWAInt15 - CopyFile(C:\\KIT\\HWAInt15.VxD, C:\\HWAInt15.VxD, FALSE) "
                           "returned with Error=2, " + std::string(kNotFound);
  EXPECT_EQ(TakeLog(), (Lines{"WARNING ERROR-=-" + copy, "WARNING ERROR-=-" + copy}));

  Open("nt4", "SystemDir=C:\\\n");
  EXPECT_EQ(Cmos().LoadDriver(), 0u);
  EXPECT_EQ(ReadC("C:\\drivers\\HWAMgmt.Sys"), "sys");
  ::unlink(HostPath("C:\\drivers\\HWAMgmt.Sys").c_str());
  TakeLog();
  EXPECT_EQ(Cmos().OpenVDD(), 1u);
  EXPECT_EQ(TakeLog().back(), "WARNING ERROR-=-OpenHWAMGMT - Failed for driver C:\\Drivers\\HWAMgmt.Sys");
}

TEST_F(CmosDriverTest, Windows9xDriverCannotBeHadOnWindowsXp) {
  Open("winxp");
  EXPECT_EQ(Cmos().LoadDriver(), 0u);
  TakeLog();
  EXPECT_EQ(Cmos().OpenVDD(), 1u);
  EXPECT_EQ(TakeLog(),
            (Lines{"WARNING ERROR-=-Can't get a handle to HWAInt15.VxD driver  Error = 2",
                   "WARNING ERROR-=-OpenHWAInt15 - CreateFile(HWAInt15.VxD) returned with Error=2, " +
                       std::string(kNotFound)}));
}

}  // namespace
}  // namespace velsetup::testing
