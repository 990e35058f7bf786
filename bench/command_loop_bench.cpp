// The interpreter's cost per command as the script grows: CMD05 and CMD32
// lines, all in [CommandsList] or spread over 100 sections that follow each
// other through [State] NextSection. Every command stores its index in the
// working copy and CMD32 appends to the install log, so the figure holds the
// writes a real run makes; it must stay flat from 100 to 50,000 commands.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_machine.h"

namespace {

using velsetup::bench::BenchMachine;

std::string Script(int commands, int sections) {
  std::string text = "[DATA]\r\nLogging=1\r\nLogFile=C:\\KIT\\bench.log\r\n";
  const int per_section = commands / sections;
  for (int s = 0; s < sections; ++s) {
    text += s == 0 ? "[CommandsList]\r\n" : "[S" + std::to_string(s) + "]\r\n";
    for (int i = 0; i < per_section; ++i) {
      text += i % 2 == 0 ? "5\r\n" : "32,command " + std::to_string(i) + " of the section\r\n";
    }
    // The last command of a section names the next one.
    if (s + 1 < sections) text += "26,,State,NextSection,S" + std::to_string(s + 1) + "\r\n";
  }
  return text;
}

void BM_Interpreter(benchmark::State& state) {
  const int commands = static_cast<int>(state.range(0));
  const int sections = static_cast<int>(state.range(1));
  BenchMachine machine;
  machine.WriteKitFile("BENCH.INI", Script(commands, sections));
  std::string error;
  if (machine.Open(&error) == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(machine.KitPath("bench.log").c_str());
    state.ResumeTiming();
    machine.Run("BENCH.INI");
  }
  // Inverted as a rate, the count of commands run gives the time of one.
  state.counters["time_per_command"] = benchmark::Counter(
      static_cast<double>(commands) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Sizes(benchmark::internal::Benchmark* bench) {
  for (int sections : {1, 100}) {
    for (int commands : {100, 1000, 10000, 50000}) bench->Args({commands, sections});
  }
  bench->ArgNames({"commands", "sections"})->Iterations(1);
  velsetup::bench::Repeated(bench);
}

BENCHMARK(BM_Interpreter)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
