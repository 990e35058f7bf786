// velsetup-lab on the default matrix (14 profiles) with the example
// deployment: the wall time of a whole lab run, as its user waits for it, and
// the share of it that is the lab's own work (making machines from their
// templates, placing the kit, the snapshots and their changes, the boot,
// removing the machines) rather than the tool's runs. The share is measured
// with one job, where the profiles' times add up to the wall time; with more
// jobs the tool's summed time exceeds the wall time and says nothing alone.
#include <benchmark/benchmark.h>

#include <string>
#include <thread>

#include "lab/lab_report.h"
#include "lab/lab_runner.h"
#include "lab/matrix.h"

namespace {

using velsetup::lab::LabOptions;
using velsetup::lab::LabResult;

void BM_LabDefaultMatrix(benchmark::State& state) {
  LabOptions options;
  options.script = std::string(VELSETUP_SOURCE_DIR) + "/examples/deploy.ini";
  options.profiles = velsetup::lab::DefaultMatrix();
  options.jobs = static_cast<int>(state.range(0));
  options.tool = VELSETUP_HOST_BINARY;
  double wall = 0, tool = 0;
  for (auto _ : state) {
    LabResult result;
    std::string error;
    if (!velsetup::lab::RunLab(options, &result, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    // The reports are part of what the user waits for.
    const velsetup::lab::LabAnalysis analysis = velsetup::lab::Analyse(result);
    benchmark::DoNotOptimize(velsetup::lab::HtmlReport(result, analysis));
    benchmark::DoNotOptimize(velsetup::lab::JsonReport(result, analysis));
    wall += result.seconds;
    tool += result.tool_seconds;
  }
  state.counters["wall_s"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
  state.counters["tool_s"] = benchmark::Counter(tool, benchmark::Counter::kAvgIterations);
  if (options.jobs == 1 && wall > 0) state.counters["lab_share"] = (wall - tool) / wall;
}
BENCHMARK(BM_LabDefaultMatrix)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(static_cast<int>(std::thread::hardware_concurrency() > 0
                               ? std::thread::hardware_concurrency()
                               : 2))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
