// A simulated machine for a fuzz target: made once per process in a scratch
// directory, with a script at C:\KIT\S.INI, and the run state pointed at it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "engine/run_state.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::fuzz {

// Removes the scratch directory when the process ends normally.
struct ScratchDir {
  std::string path;
  ~ScratchDir() {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
  }
};

inline host::HostPlatform& FuzzMachine() {
  static ScratchDir scratch;
  static std::unique_ptr<host::HostPlatform> machine = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp != nullptr ? tmp : "/tmp") + "/velsetup_fuzz_XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr) std::abort();
    scratch.path = dir;
    std::ofstream(dir + "/machine.ini") << "[Machine]\nOS=win2000\n[Drives]\nC=drive_c\nZ=\n";
    ::mkdir((dir + "/drive_c").c_str(), 0755);
    ::mkdir((dir + "/drive_c/KIT").c_str(), 0755);
    std::ofstream(dir + "/drive_c/KIT/S.INI", std::ios::binary)
        << "[DATA]\r\nLogging=0\r\n[Variables]\r\nV001=C:\\Program Files\r\nV002=~%V001\\x\r\n"
           "V003=~%V003~%V003\r\n[CommandsList]\r\n32,hello\r\n";
    std::string error;
    auto platform = host::HostPlatform::Open(dir, "/velsetup", &error);
    if (!platform) std::abort();
    return platform;
  }();
  return *machine;
}

// A fresh run state on the machine, its script the one in C:\KIT.
inline void StartFuzzRun() {
  StartRun(FuzzMachine().platform());
  Run().script_path = "C:\\KIT\\S.INI";
  Run().module_dir = "C:\\KIT";
  Run().module_name = "velsetup.exe";
}

}  // namespace velsetup::fuzz
