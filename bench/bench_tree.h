// The file trees of the copy and delete benchmarks, written straight to the
// host below a simulated machine's C: drive.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace velsetup::bench {

struct TreeShape {
  int directories;
  int files_per_directory;
  long long file_bytes;
};

// `VELSETUP_BENCH_QUICK=1` shrinks every tree, for a run that only shows the
// benchmarks still work; the figures of such a run mean little.
inline bool QuickRun() {
  const char* quick = std::getenv("VELSETUP_BENCH_QUICK");
  return quick != nullptr && std::string(quick) == "1";
}

// Many small files, or a few large ones.
inline TreeShape SmallFiles() {
  return QuickRun() ? TreeShape{10, 50, 4096} : TreeShape{100, 100, 4096};
}
inline TreeShape LargeFiles() {
  return QuickRun() ? TreeShape{1, 4, 8LL << 20} : TreeShape{1, 20, 50LL << 20};
}

// Writes `shape` below `root` (which must not exist): D000/F0000.BIN ... The
// bytes vary from file to file so that no layer below can share them.
inline void WriteTree(const std::string& root, const TreeShape& shape) {
  ::mkdir(root.c_str(), 0755);
  std::string chunk(1 << 16, '\0');
  int serial = 0;
  for (int d = 0; d < shape.directories; ++d) {
    char name[32];
    std::snprintf(name, sizeof name, "/D%03d", d);
    const std::string directory = root + name;
    ::mkdir(directory.c_str(), 0755);
    for (int f = 0; f < shape.files_per_directory; ++f, ++serial) {
      std::snprintf(name, sizeof name, "/F%04d.BIN", f);
      for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 31 + serial);
      std::ofstream out(directory + name, std::ios::binary);
      for (long long left = shape.file_bytes; left > 0;) {
        const long long part = left < static_cast<long long>(chunk.size())
                                   ? left
                                   : static_cast<long long>(chunk.size());
        out.write(chunk.data(), part);
        left -= part;
      }
    }
  }
}

// Runs a shell command; true when it exits with 0.
inline bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// Single quotes for the shell around a path the benchmark made itself.
inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace velsetup::bench
