// Time of a whole run per command, on the simulated machine in this process:
// start-up, the expansion of [CommandsList] and the loop. The figure must
// stay flat as the script grows.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/entry.h"
#include "platform/host/host_platform.h"

namespace {

std::string MakeMachine(int commands) {
  char pattern[] = "/tmp/velsetup_bench_XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  std::ofstream(dir + "/machine.ini") << "[Machine]\nOS=win2000\n[Drives]\nC=drive_c\nZ=\n";
  ::mkdir((dir + "/drive_c").c_str(), 0755);
  ::mkdir((dir + "/drive_c/KIT").c_str(), 0755);
  std::ofstream script(dir + "/drive_c/KIT/BENCH.INI", std::ios::binary);
  script << "[DATA]\r\nLogging=0\r\n[CommandsList]\r\n";
  for (int i = 0; i < commands; ++i) script << (i % 2 == 0 ? "5\r\n" : "7,x,y\r\n");
  return dir;
}

void BM_RunScript(benchmark::State& state) {
  const int commands = static_cast<int>(state.range(0));
  const std::string dir = MakeMachine(commands);
  std::string error;
  auto machine = velsetup::host::HostPlatform::Open(dir, "/velsetup", &error);
  if (!machine) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    velsetup::VelsetupMain(machine->platform(), "C:\\KIT\\BENCH.INI -noreboot -silent");
  }
  // Inverted as a rate, the count of commands run gives the time of one.
  state.counters["time_per_command"] = benchmark::Counter(
      static_cast<double>(commands) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  std::system(("rm -rf " + dir).c_str());
}

BENCHMARK(BM_RunScript)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
