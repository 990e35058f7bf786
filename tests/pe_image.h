// What the tests need to know of a built Windows program, read from its
// bytes: the PE headers Windows' loader checks, the functions it imports,
// and its resource data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velsetup::testing {

struct PeImport {
  std::string dll;       // as the import table names it ("KERNEL32.dll")
  std::string function;  // empty for an import by ordinal
  uint16_t ordinal = 0;  // only for an import by ordinal
};

struct PeImage {
  uint16_t machine = 0;  // 0x14c: i386
  uint16_t magic = 0;    // 0x10b: PE32
  uint16_t subsystem = 0;
  uint16_t major_os_version = 0, minor_os_version = 0;
  uint16_t major_subsystem_version = 0, minor_subsystem_version = 0;
  std::vector<PeImport> imports;
  std::string resources;  // the resource directory's bytes
};

// The image in `bytes`, or nothing with the reason in `problem` when the
// bytes are not a PE image or a table points outside them.
std::optional<PeImage> ReadPeImage(const std::string& bytes, std::string* problem);

}  // namespace velsetup::testing
