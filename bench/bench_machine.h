// A simulated machine for a benchmark: a scratch directory with C: in it,
// opened in this process, and removed again at the end.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "program/velsetup_main.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::bench {

class BenchMachine {
 public:
  explicit BenchMachine(const char* os = "win2000") {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/velsetup_bench_XXXXXX";
    dir_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    std::ofstream(dir_ + "/machine.ini")
        << "[Machine]\nOS=" << os << "\n[Drives]\nC=drive_c\nZ=\n";
    ::mkdir((dir_ + "/drive_c").c_str(), 0755);
    ::mkdir((dir_ + "/drive_c/KIT").c_str(), 0755);
  }
  ~BenchMachine() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  // The platform, opened at first use (after the files are in place).
  host::HostPlatform* Open(std::string* error) {
    if (!platform_) platform_ = host::HostPlatform::Open(dir_, "/velsetup", error);
    return platform_.get();
  }
  // `C:\KIT\name` on the host.
  std::string KitPath(const std::string& name) const { return dir_ + "/drive_c/KIT/" + name; }
  std::string DriveC() const { return dir_ + "/drive_c"; }
  void WriteKitFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(KitPath(name), std::ios::binary) << bytes;
  }
  // Runs the tool on C:\KIT\<script> as the host program would.
  int Run(const std::string& script, const std::string& options = "-noreboot -silent") {
    return VelsetupMain(platform_->platform(), "C:\\KIT\\" + script + " " + options);
  }

 private:
  std::string dir_;
  std::unique_ptr<host::HostPlatform> platform_;
};

// The median of a benchmark's repetitions is what the report compares; each
// side of a comparison runs in the same process, one after the other.
inline void Repeated(::benchmark::internal::Benchmark* bench) {
  bench->Repetitions(5)->ReportAggregatesOnly(true)->Unit(::benchmark::kMillisecond);
}

}  // namespace velsetup::bench
