// Copying and deleting whole trees: CMD15_CopyFile (a data line whose source
// is a directory) against `cp -r`, and CMD16_DeleteFileOrDir against
// `rm -rf`, on the same trees of the same disk. The tool runs with its
// install log on, as scripts run it, so a line per file is part of the cost.
// Dirty pages are written back before each timed run (untimed), so neither
// side pays for the other's writes. The tree a delete removes is fresh from
// `cp -r`, still in the page cache: once on disk, removing it costs the
// disk's discards (the drive is mounted with online discard), which take
// either side about as long as a second per 500 files, and hide what the
// tool itself adds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "bench_machine.h"
#include "bench_tree.h"

namespace {

using velsetup::bench::BenchMachine;
using velsetup::bench::Quoted;
using velsetup::bench::Shell;
using velsetup::bench::TreeShape;

const char kLogSetup[] = "[DATA]\r\nLogging=1\r\nLogFile=C:\\KIT\\bench.log\r\n";

// One machine per tree shape, with C:\SRC written once and kept for every
// benchmark of that shape.
struct TreeMachine {
  BenchMachine machine;
  TreeShape shape;
  std::string source() const { return machine.DriveC() + "/SRC"; }
  std::string destination() const { return machine.DriveC() + "/DST"; }
  // The last file of the tree where a complete copy has it.
  std::string last_copied_file() const {
    char name[32];
    std::snprintf(name, sizeof name, "/D%03d/F%04d.BIN", shape.directories - 1,
                  shape.files_per_directory - 1);
    return destination() + name;
  }
};

TreeShape ShapeOf(int64_t kind) {
  return kind == 0 ? velsetup::bench::SmallFiles() : velsetup::bench::LargeFiles();
}

TreeMachine* MachineFor(int64_t kind, benchmark::State& state) {
  static std::map<int64_t, std::unique_ptr<TreeMachine>> machines;
  auto& slot = machines[kind];
  if (!slot) {
    slot = std::make_unique<TreeMachine>();
    slot->shape = ShapeOf(kind);
    velsetup::bench::WriteTree(slot->source(), slot->shape);
    slot->machine.WriteKitFile(
        "COPY.INI", std::string(kLogSetup) + "[CommandsList]\r\n15,Tree\r\n[Tree]\r\n"
                                             "C:\\SRC,C:\\DST\r\n");
    slot->machine.WriteKitFile("DELETE.INI",
                               std::string(kLogSetup) + "[CommandsList]\r\n16,,C:\\DST\r\n");
  }
  std::string error;
  if (slot->machine.Open(&error) == nullptr) {
    state.SkipWithError(error.c_str());
    return nullptr;
  }
  return slot.get();
}

// Untimed: the destination as the next run needs it, and the disk quiet.
void Prepare(TreeMachine& tree, bool with_copy) {
  Shell("rm -rf " + Quoted(tree.destination()));
  std::remove(tree.machine.KitPath("bench.log").c_str());
  ::sync();
  if (with_copy) Shell("cp -r " + Quoted(tree.source()) + " " + Quoted(tree.destination()));
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

void Counters(benchmark::State& state, const TreeShape& shape) {
  state.counters["files"] = shape.directories * shape.files_per_directory;
  state.counters["MB"] = static_cast<double>(shape.directories * shape.files_per_directory) *
                         static_cast<double>(shape.file_bytes) / (1 << 20);
}

enum class Operation { kCopy, kDelete };

// Times `run` on a destination prepared for `operation`, then checks that it
// did the whole job.
template <typename Run>
void TimeTree(benchmark::State& state, Operation operation, Run run) {
  TreeMachine* tree = MachineFor(state.range(0), state);
  if (tree == nullptr) return;
  const bool deleting = operation == Operation::kDelete;
  for (auto _ : state) {
    state.PauseTiming();
    Prepare(*tree, deleting);
    state.ResumeTiming();
    run(*tree);
  }
  if (deleting && Exists(tree->destination())) state.SkipWithError("the tree is still there");
  if (!deleting && !Exists(tree->last_copied_file())) state.SkipWithError("the copy is incomplete");
  Counters(state, tree->shape);
}

void BM_CopyTree_Tool(benchmark::State& state) {
  TimeTree(state, Operation::kCopy, [](TreeMachine& tree) {
    // SBCopyFile fills the destination but does not make it; making it is
    // the script's part and costs next to nothing.
    ::mkdir(tree.destination().c_str(), 0755);
    tree.machine.Run("COPY.INI");
  });
}

void BM_CopyTree_Cp(benchmark::State& state) {
  TimeTree(state, Operation::kCopy, [](TreeMachine& tree) {
    Shell("cp -r " + Quoted(tree.source()) + " " + Quoted(tree.destination()));
  });
}

void BM_DeleteTree_Tool(benchmark::State& state) {
  TimeTree(state, Operation::kDelete, [](TreeMachine& tree) { tree.machine.Run("DELETE.INI"); });
}

void BM_DeleteTree_Rm(benchmark::State& state) {
  TimeTree(state, Operation::kDelete,
           [](TreeMachine& tree) { Shell("rm -rf " + Quoted(tree.destination())); });
}

// tree 0: many small files; tree 1: a few large ones. The child processes'
// time counts only on the wall clock, so that is the clock for both sides.
void Trees(benchmark::internal::Benchmark* bench) {
  bench->Arg(0)->Arg(1)->ArgName("tree")->Iterations(1)->UseRealTime();
  velsetup::bench::Repeated(bench);
}

BENCHMARK(BM_CopyTree_Tool)->Apply(Trees);
BENCHMARK(BM_CopyTree_Cp)->Apply(Trees);
BENCHMARK(BM_DeleteTree_Tool)->Apply(Trees);
BENCHMARK(BM_DeleteTree_Rm)->Apply(Trees);

}  // namespace

BENCHMARK_MAIN();
