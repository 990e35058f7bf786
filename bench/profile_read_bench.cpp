// Reading large profile files the way the tool does: ReadSection (a whole
// section as one block) and GetPrivateProfileStringA (one key), through the
// simulated machine's profile calls, on a file that is one 1 MB section and
// on a 10 MB script of 1,000 sections. The section and the key asked for are
// the file's last, so a read that walks the file walks all of it.
//
// cold: the file changed since the last call (its times are renewed before
// each run, untimed), so the call parses it again; warm: it did not.
// peak_heap_MB: the most that operator new held during the call beyond what
// was in use before the file was first parsed, so the parse the engine keeps
// counts as well as what the call needs for itself (see heap_counter.h);
// held_MB: what the engine keeps between calls (measured around the first
// call).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench_machine.h"
#include "heap_counter.h"
#include "engine/run_state.h"
#include "engine/section_reader.h"

namespace {

using velsetup::bench::BenchMachine;

constexpr size_t kMegabyte = 1 << 20;

// `sections` sections of `section_bytes` each, of lines "Key123=...".
std::string ProfileText(int sections, size_t section_bytes) {
  std::string text;
  text.reserve(static_cast<size_t>(sections) * (section_bytes + 64));
  for (int s = 0; s < sections; ++s) {
    text += "[Section" + std::to_string(s) + "]\r\n";
    const size_t end = text.size() + section_bytes;
    for (int k = 0; text.size() < end; ++k) {
      text += "Key" + std::to_string(k) + "=C:\\Program Files\\Velmor\\file" +
              std::to_string(k) + ".dat,1\r\n";
    }
  }
  return text;
}

struct ProfileFile {
  const char* name;
  int sections;
  size_t section_bytes;
};
const ProfileFile kFiles[] = {{"SECTION.INI", 1, kMegabyte},
                              {"SCRIPT.INI", 1000, 10 * kMegabyte / 1000}};

// A machine of its own for each benchmark, so that the first call of each
// finds nothing parsed; the run state points at it.
std::unique_ptr<BenchMachine> machine;

BenchMachine* FreshMachine(benchmark::State& state) {
  machine.reset();
  machine = std::make_unique<BenchMachine>();
  for (const ProfileFile& file : kFiles) {
    machine->WriteKitFile(file.name, ProfileText(file.sections, file.section_bytes));
  }
  std::string error;
  velsetup::host::HostPlatform* platform = machine->Open(&error);
  if (platform == nullptr) {
    state.SkipWithError(error.c_str());
    return nullptr;
  }
  velsetup::StartRun(platform->platform());
  return machine.get();
}

std::string LastSection(const ProfileFile& file) {
  return "Section" + std::to_string(file.sections - 1);
}

// The name of the file's last key, in the text ProfileText writes.
std::string LastKey(const std::string& text) {
  const size_t start = text.rfind("\r\nKey") + 2;
  return text.substr(start, text.find('=', start) - start);
}

void Renew(const std::string& host_path) {
  const timespec now[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  ::utimensat(AT_FDCWD, host_path.c_str(), now, 0);
}

// Runs `call` once per iteration, the file renewed first when `cold`.
template <typename Call>
void Measure(benchmark::State& state, const ProfileFile& file, Call call) {
  const bool cold = state.range(1) != 0;
  // Parsed once, so a warm run starts warm; what that leaves held is the
  // engine's copy of the file.
  const size_t unparsed = velsetup::bench::heap_in_use.load();
  call();
  const size_t parsed = velsetup::bench::heap_in_use.load();
  size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (cold) Renew(machine->KitPath(file.name));
    velsetup::bench::ResetHeapPeak();
    state.ResumeTiming();
    call();
    state.PauseTiming();
    peak = std::max(peak, velsetup::bench::heap_peak.load() - unparsed);
    state.ResumeTiming();
  }
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / kMegabyte;
  state.counters["held_MB"] =
      static_cast<double>(parsed > unparsed ? parsed - unparsed : 0) / kMegabyte;
  state.counters["file_MB"] =
      static_cast<double>(file.sections) * static_cast<double>(file.section_bytes) / kMegabyte;
}

void BM_ReadSection(benchmark::State& state) {
  const ProfileFile& file = kFiles[state.range(0)];
  const std::string path = std::string("C:\\KIT\\") + file.name;
  const std::string section = LastSection(file);
  if (FreshMachine(state) == nullptr) return;
  size_t lines = 0;
  Measure(state, file, [&] {
    const auto block = velsetup::ReadSection(section, path);
    lines = block ? velsetup::BlockLines(*block).size() : 0;
    benchmark::DoNotOptimize(lines);
  });
  if (lines == 0) state.SkipWithError("the section was not read");
}

void BM_GetPrivateProfileString(benchmark::State& state) {
  const ProfileFile& file = kFiles[state.range(0)];
  const std::string path = std::string("C:\\KIT\\") + file.name;
  const std::string section = LastSection(file);
  if (FreshMachine(state) == nullptr) return;
  // The key's name, from a reading of the file that is then forgotten.
  const std::string key = LastKey(ProfileText(file.sections, file.section_bytes));
  std::string value(260, '\0');
  uint32_t length = 0;
  Measure(state, file, [&] {
    length = velsetup::Profile().GetPrivateProfileStringA(section.c_str(), key.c_str(), "",
                                                          value.data(), 260, path.c_str());
    benchmark::DoNotOptimize(length);
  });
  if (length == 0) state.SkipWithError("the key was not read");
}

// file 0: one 1 MB section; file 1: a 10 MB script. cold 1: parsed anew.
void Files(benchmark::internal::Benchmark* bench) {
  for (int file : {0, 1}) {
    for (int cold : {1, 0}) bench->Args({file, cold});
  }
  bench->ArgNames({"file", "cold"})->Iterations(3);
  velsetup::bench::Repeated(bench);
  bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ReadSection)->Apply(Files);
BENCHMARK(BM_GetPrivateProfileString)->Apply(Files);

}  // namespace

BENCHMARK_MAIN();
