// The Windows build's CMOS driver table under Wine, which has neither of the
// maker's drivers: every failed step must be reported, and the open must
// give up within bounded time.
//
// What Wine 8.0 does, as runs of this test found it (each run takes 2-3 s):
// - win98: CreateFileA("\\.\HWAINT15.VXD") fails with 2, since a 64-bit
//   process has no virtual devices to load; the copy and the delete of the
//   missing driver file fail with 2 ("File not found.", Wine's own text).
// - win2k: the service control manager creates "HWAMgmt12" (ImagePath kept
//   as given, as on Windows), StartServiceA fails at once with 1114 ("DLL
//   initialization failed.": its driver host cannot load the missing file),
//   and the open gives up with "OpenHWAMGMT - Failed for driver ...". The
//   service stays registered, as a created service that failed to start does;
//   the test removes it from the shared prefix afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "scenario.h"
#include "wine_support.h"

namespace velsetup::testing {
namespace {

std::string WinBuildDir() { return wine::WindowsBuildDir(); }

// Whether a line of the log begins with `start` and holds `part` after it.
// The lines looked for carry a level and no time stamp.
bool Has(const std::string& log, const std::string& start, const std::string& part = "") {
  for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string line = log.substr(at, end - at);
    if (line.rfind("WARNING ERROR-=-" + start, 0) == 0 && line.find(part) != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST(CmosUnderWine, WithoutTheMakersDriversEveryStepReportsAndTheOpenGivesUp) {
  const std::string probe = WinBuildDir() + "/cmos_probe.exe";
  for (const Os os : {Os::kWin98, Os::kWin2000}) {
    auto machine = MakeScenario(Build::kWine, os);
    if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
    if (!host::testing::HostExists(probe)) GTEST_SKIP() << "the Windows build is missing (" << probe << ")";
    // In the tool's place, so that the driver files are looked for in C:\KIT.
    machine->WriteFile("C:\\KIT\\velsetup.exe", host::testing::ReadHostFile(probe));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(machine->Run("C:\\KIT\\cmos.log"), 0) << OsName(os);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 60) << OsName(os);
    const std::string log = machine->ReadFile("C:\\KIT\\cmos.log");
    if (os == Os::kWin98) {
      EXPECT_TRUE(Has(log, "LoadHWAInt15 - CopyFile(C:\\KIT\\HWAInt15.VxD, ",
                      "\\HWAInt15.VxD, FALSE) returned with Error=2, ")) << log;
      EXPECT_TRUE(Has(log, "Can't get a handle to HWAInt15.VxD driver  Error = 2")) << log;
      EXPECT_TRUE(Has(log, "OpenHWAInt15 - CreateFile(HWAInt15.VxD) returned with Error=2, ")) << log;
      continue;
    }
    EXPECT_TRUE(Has(log, "LoadHWAmgmt - CopyFile(C:\\KIT\\HWAMGMT.SYS, ",
                    "\\Drivers\\HWAMgmt.Sys, FALSE) returned with Error=2, ")) << log;
    EXPECT_TRUE(Has(log, "OpenHWAMGMT - Failed for driver ", "\\Drivers\\HWAMgmt.Sys")) << log;
    // The failing step of the service start speaks for itself.
    EXPECT_TRUE(Has(log, "InstallServiceNT() - ") || Has(log, "StartServiceNT() - ") ||
                Has(log, "OpenServiceNT() - ")) << log;
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\HWAMgmt12";
    if (Has(log, "StartServiceNT() - ")) {
      EXPECT_EQ(machine->RegistryValues({{"HKLM", key, "Type"}}),
                std::vector<std::string>{"4:01000000"})
          << "created, and left registered when its start failed";
    }
    machine->ClearRegistryKey("HKLM", key);
  }
}

}  // namespace
}  // namespace velsetup::testing
