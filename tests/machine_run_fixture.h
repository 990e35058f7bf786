// A run of the tool inside the test process, on a simulated machine of its
// own: the working copy C:\KIT\S.INI, the install log C:\KIT\install.log, and
// the log's lines without their time stamps for comparison.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/run_state.h"
#include "host_test_support.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::testing {

class MachineRunTest : public ::testing::Test {
 protected:
  static constexpr const char* kScript = "C:\\KIT\\S.INI";

  // `machine_ini` is the [Machine] section's text.
  void OpenMachine(const std::string& machine_ini) {
    host::testing::WriteHostFile(dir_ / "machine.ini",
                                 "[Machine]\n" + machine_ini + "\n[Drives]\nC=drive_c\nZ=\n");
    std::string error;
    machine_ = host::HostPlatform::Open(dir_.path(), "/velsetup", &error);
    ASSERT_TRUE(machine_) << error;
    ::mkdir((dir_ / "drive_c/KIT").c_str(), 0755);
    StartRun(machine_->platform());
    RunState& run = velsetup::Run();
    run.script_path = kScript;
    run.module_dir = "D:\\util";
    run.module_name = "velsetup.exe";
    run.log_path = "C:\\KIT\\install.log";
    run.logging_enabled = true;
  }
  void SetUp() override {
    OpenMachine("OS=win98\nUserLanguage=0x0407\nTempDir=C:\\WINDOWS\\TEMP\\");
  }

  std::string HostPath(const std::string& windows_path) const {
    std::string path = dir_ / "drive_c";
    for (char c : windows_path.substr(2)) path += c == '\\' ? '/' : c;
    return path;
  }
  void WriteC(const std::string& windows_path, const std::string& bytes) {
    host::testing::WriteHostFile(HostPath(windows_path), bytes);
  }
  std::string ReadC(const std::string& windows_path) const {
    return host::testing::ReadHostFile(HostPath(windows_path));
  }

  // The log lines so far, each from the module name on; the log is emptied.
  std::vector<std::string> TakeLog() {
    const std::string bytes = ReadC("C:\\KIT\\install.log");
    ::unlink(HostPath("C:\\KIT\\install.log").c_str());
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::string line = bytes.substr(start, end - start);
      const size_t stamp = line.find("]  ");
      lines.push_back(stamp == std::string::npos ? line : line.substr(stamp + 3));
    }
    return lines;
  }

  host::testing::ScratchDir dir_;
  std::unique_ptr<host::HostPlatform> machine_;
};

}  // namespace velsetup::testing
