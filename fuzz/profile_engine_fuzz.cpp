// The profile engine on arbitrary file bytes: parsing, then every read and
// write call, each write checked against a fresh parse of what reached the
// file. The input's first byte picks the calls' names from a small set so
// that they meet the sections and keys the file has.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "profile/profile_document.h"
#include "platform/host/profile/profile_store.h"

namespace {

std::string ScratchFile() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr ? tmp : "/tmp") + "/velsetup_profile_fuzz_" +
         std::to_string(::getpid()) + ".ini";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using velsetup::profile::ProfileDocument;
  using velsetup::host::ProfileStore;
  if (size == 0) return 0;
  const unsigned choice = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const ProfileDocument parsed = ProfileDocument::Parse(bytes);
  if (parsed.Bytes() != bytes) std::abort();  // parsing keeps every byte

  static const std::string path = ScratchFile();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  ProfileStore store;
  static const char* const kSections[] = {"A", "b", " A ", "", "DATA", "[x]", "Commands"};
  static const char* const kKeys[] = {"k", "K1", "", " k ", "=", ";c", "CurrentCmd"};
  const char* section = kSections[choice % 7];
  const char* key = kKeys[(choice / 7) % 7];
  uint32_t error = 0;
  char small[5];
  char large[4096];
  store.GetString(section, key, "dflt  ", small, sizeof small, path, &error);
  store.GetString(section, nullptr, "", large, sizeof large, path, &error);
  store.GetString(nullptr, nullptr, "", small, sizeof small, path, &error);
  store.GetSection(section, small, sizeof small, path, &error);
  store.GetSection(section, large, sizeof large, path, &error);
  store.GetInt(section, key, -1, path, &error);

  switch ((choice / 49) % 5) {
    case 0: store.WriteString(section, key, "value", path, &error); break;
    case 1: store.WriteString(section, key, nullptr, path, &error); break;
    case 2: store.WriteString(section, nullptr, nullptr, path, &error); break;
    case 3: store.WriteSection(section, "a=1\0b\0\0", path, &error); break;
    default: store.WriteString(section, key, std::string(300, 'v').c_str(), path, &error); break;
  }
  // What the store keeps must be what the file holds.
  ProfileStore fresh;
  store.GetString(section, key, "", large, sizeof large, path, &error);
  const std::string kept = large;
  fresh.GetString(section, key, "", large, sizeof large, path, &error);
  if (kept != large) std::abort();
  if (ProfileDocument::Parse(ReadAll(path)).Bytes() != ReadAll(path)) std::abort();
  return 0;
}
