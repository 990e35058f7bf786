// What makes the Windows programs load and run on Windows 95, 98, NT 4.0 and
// 2000 and on a Pentium, read from the built files: Wine resolves every import
// whatever Windows it plays, loads any header version and runs on the host's
// CPU, so running the programs under it proves none of this.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/startup.h"
#include "host_test_support.h"
#include "pe_image.h"
#include "wine_support.h"

namespace velsetup::testing {
namespace {

using host::testing::HostExists;
using host::testing::ReadHostFile;
using host::testing::ShellOutput;

constexpr const char* kPrograms[] = {"velsetup.exe", "velsetup-check.exe"};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The built programs that could be read, by name; `skip` says why there are
// none when the Windows build is missing. An unreadable program fails the test.
std::vector<std::pair<std::string, PeImage>> Programs(std::string* skip) {
  std::vector<std::pair<std::string, PeImage>> programs;
  for (const char* name : kPrograms) {
    const std::string path = wine::WindowsBuildDir() + "/" + name;
    if (!HostExists(path)) {
      *skip = "the Windows build is missing (" + path + ")";
      return {};
    }
    std::string problem;
    std::optional<PeImage> image = ReadPeImage(ReadHostFile(path), &problem);
    if (image) {
      programs.emplace_back(name, std::move(*image));
    } else {
      ADD_FAILURE() << path << ": " << problem;
    }
  }
  return programs;
}

// Runs `check` on each built program, under its name; skips the test where
// the Windows build is missing.
template <typename Check>
void ForEachProgram(Check check) {
  std::string skip;
  const auto programs = Programs(&skip);
  if (!skip.empty()) GTEST_SKIP() << skip;
  for (const auto& [name, image] : programs) {
    SCOPED_TRACE(name);
    check(name, image);
  }
}

TEST(WindowsProgram, HeadersAreThoseWindows95AndNt4Load) {
  ForEachProgram([&](const std::string& name, const PeImage& image) {
    EXPECT_EQ(image.machine, 0x14c) << "not an i386 program";
    EXPECT_EQ(image.magic, 0x10b) << "not PE32";
    // The tool is a windows program; the checker is run from a command prompt.
    EXPECT_EQ(image.subsystem, name == "velsetup.exe" ? 2 : 3);
    // Windows 95, 98 and NT 4.0 refuse anything above 4.0.
    EXPECT_EQ(image.major_subsystem_version * 100 + image.minor_subsystem_version, 400);
    EXPECT_LE(image.major_os_version * 100 + image.minor_os_version, 400);
  });
}

// One line of the allowlist: dll, function, exported on, works on, and why a
// later system is enough where it works only there.
struct Allowed {
  std::string exported, works, why;
};

std::map<std::string, Allowed> ReadAllowlist(const std::string& path) {
  const std::map<std::string, std::string> first_of = {
      {"KERNEL32", "win95"}, {"USER32", "win95"}, {"ADVAPI32", "win95"}, {"MSVCRT", "msvcrt42"}};
  std::map<std::string, Allowed> list;
  std::istringstream lines(ReadHostFile(path));
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string dll, function;
    Allowed allowed;
    fields >> dll >> function >> allowed.exported >> allowed.works;
    std::getline(fields >> std::ws, allowed.why);
    SCOPED_TRACE(path + ":" + std::to_string(number) + ": " + line);
    const auto first = first_of.find(dll);
    if (first == first_of.end()) {
      ADD_FAILURE() << "a DLL the programs may not import";
      continue;
    }
    // Every entry must be there on the oldest system; an entry that works
    // only on the NT family must say why the programs may import it.
    EXPECT_EQ(allowed.exported, first->second);
    EXPECT_TRUE(allowed.works == first->second || allowed.works == "nt40") << allowed.works;
    EXPECT_EQ(allowed.works != first->second, !allowed.why.empty());
    EXPECT_TRUE(list.emplace(dll + " " + function, allowed).second) << "listed twice";
  }
  return list;
}

TEST(WindowsProgram, EveryImportIsOnTheAllowlistOfWindows95) {
  const std::map<std::string, Allowed> allowlist =
      ReadAllowlist(std::string(VELSETUP_SOURCE_DIR) + "/tests/windows_imports.txt");
  ASSERT_FALSE(allowlist.empty());
  ForEachProgram([&](const std::string&, const PeImage& image) {
    EXPECT_GT(image.imports.size(), 20u);
    std::set<std::string> refused;
    for (const PeImport& import : image.imports) {
      std::string dll = Upper(import.dll);
      if (dll.size() > 4 && dll.compare(dll.size() - 4, 4, ".DLL") == 0) dll.resize(dll.size() - 4);
      if (import.function.empty()) {
        // Windows 95 exports many KERNEL32 functions by ordinal only, and the
        // ordinals differ between systems: only names are portable.
        refused.insert(dll + " ordinal " + std::to_string(import.ordinal));
      } else if (allowlist.count(dll + " " + import.function) == 0) {
        refused.insert(dll + " " + import.function);
      }
    }
    EXPECT_EQ(refused, std::set<std::string>{})
        << "imports that Windows 95 (or NT 4.0's msvcrt.dll) may lack; check each against "
           "what the systems export before listing it in tests/windows_imports.txt";
  });
}

// cmov, fcmov and fcomi/fucomi came with the Pentium Pro; MMX and SSE
// registers with the Pentium MMX and the Pentium III. A Pentium stops on any
// of them with an illegal instruction.
bool NewerThanThePentium(const std::string& instruction) {
  static const char* const kMnemonics[] = {"cmov",    "fcmov",   "fcomi",   "fucomi", "ldmxcsr",
                                           "stmxcsr", "sfence",  "lfence",  "mfence", "prefetch",
                                           "movnti",  "sysenter", "sysexit", "emms"};
  const size_t blank = instruction.find_first_of(" \t");
  const std::string mnemonic = instruction.substr(0, blank);
  for (const char* newer : kMnemonics) {
    if (mnemonic.rfind(newer, 0) == 0) return true;
  }
  return instruction.find("%xmm") != std::string::npos ||
         instruction.find("%mm") != std::string::npos;
}

TEST(WindowsProgram, NoInstructionNewerThanThePentiumInTheTool) {
  const std::string path = wine::WindowsBuildDir() + "/velsetup.exe";
  if (!HostExists(path)) GTEST_SKIP() << "the Windows build is missing (" << path << ")";
  const std::string objdump = "i686-w64-mingw32-objdump";
  if (ShellOutput("command -v " + objdump).empty()) GTEST_SKIP() << objdump << " is not installed";
  const std::string listing =
      ShellOutput(objdump + " -d --no-show-raw-insn '" + path + "' 2>/dev/null");
  ASSERT_GT(listing.size(), 100000u) << "the disassembly came out empty";
  // Function by function: "<name>:" lines head each; instructions are
  // "  address:\tmnemonic operands".
  std::map<std::string, int> found;
  std::string function;
  size_t instructions = 0;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == ':' && line.find(" <") != std::string::npos) {
      function = line.substr(line.find(" <") + 2);
      function.resize(function.size() - 2);
      continue;
    }
    const size_t tab = line.find(":\t");
    if (tab == std::string::npos) continue;
    ++instructions;
    if (NewerThanThePentium(line.substr(tab + 2))) ++found[function];
  }
  EXPECT_GT(instructions, 10000u);
  EXPECT_EQ(found, (std::map<std::string, int>{}))
      << "functions holding instructions a Pentium lacks (count by function)";
}

// Explorer's Properties page shows these, and the banner of every install log
// gives the same version.
TEST(WindowsProgram, VersionResourceGivesTheLoggedVersion) {
  ForEachProgram([&](const std::string& name, const PeImage& image) {
    auto wide = [](const std::string& text) {
      std::string out;
      for (char c : text) out += std::string{c, '\0'};
      return out;
    };
    const std::string& resources = image.resources;
    for (const std::string& text : {std::string("FileVersion"), std::string("ProductVersion"),
                                    std::string("ProductName"), std::string("FileDescription"),
                                    std::string("OriginalFilename"), name,
                                    std::string(kVersionText)}) {
      EXPECT_NE(resources.find(wide(text)), std::string::npos) << text;
    }
    // The fixed part: the signature 0xFEEF04BD, its structure version, then
    // the file version 2.0.5.0 as two 32-bit halves.
    const size_t fixed = resources.find(std::string("\xbd\x04\xef\xfe", 4));
    ASSERT_NE(fixed, std::string::npos);
    ASSERT_LE(fixed + 16, resources.size());
    auto u32 = [&](size_t at) {
      uint32_t value = 0;
      for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(resources[at + i]);
      return value;
    };
    EXPECT_EQ(u32(fixed + 8), (uint32_t{VELSETUP_VERSION_MAJOR} << 16) | VELSETUP_VERSION_MINOR);
    EXPECT_EQ(u32(fixed + 12), uint32_t{VELSETUP_VERSION_PATCH} << 16);
  });
}

// What a deployment engineer unpacks: both programs, the read-me and the
// example scripts, text files with Windows line ends.
TEST(ReleasePackage, HoldsTheProgramsTheReadmeAndTheExamplesWithWindowsLineEnds) {
  const std::string zip = wine::WindowsBuildDir() + "/velsetup-" + kVersionText + "-win32.zip";
  if (!HostExists(zip)) GTEST_SKIP() << "no release package (scripts/package.sh makes " << zip << ")";
  host::testing::ScratchDir scratch;
  ASSERT_EQ(std::system(("cd '" + scratch.path() + "' && cmake -E tar xf '" + zip + "'").c_str()), 0);
  for (const char* name : kPrograms) {
    std::string problem;
    const std::optional<PeImage> image = ReadPeImage(ReadHostFile(scratch / name), &problem);
    ASSERT_TRUE(image) << name << ": " << problem;
    EXPECT_EQ(image->machine, 0x14c) << name;
  }
  for (const char* text : {"README.TXT", "examples/hello.ini", "examples/deploy.ini",
                           "examples/kit/tools/tools.ini"}) {
    const std::string bytes = ReadHostFile(scratch / text);
    SCOPED_TRACE(text);
    ASSERT_FALSE(bytes.empty());
    size_t bare = 0;
    for (size_t i = 0; i < bytes.size(); ++i) bare += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    EXPECT_EQ(bare, 0u) << "line ends without CR";
  }
  EXPECT_NE(ReadHostFile(scratch / "README.TXT").find(kVersionText), std::string::npos);
  // The simulated machine's stand-ins for the maker's drivers stay out.
  EXPECT_FALSE(HostExists(scratch / "examples/HWAInt15.VxD"));
  EXPECT_FALSE(HostExists(scratch / "examples/HWAMGMT.SYS"));
}

// The reader itself, on damaged images: it must refuse them, never read past
// the bytes it was given (the test build runs with AddressSanitizer).
TEST(PeImageReader, RefusesTruncatedAndDamagedImages) {
  std::string problem;
  EXPECT_FALSE(ReadPeImage("", &problem));
  EXPECT_FALSE(ReadPeImage("MZ", &problem));
  std::string skip;
  const std::string path = wine::WindowsBuildDir() + "/velsetup.exe";
  if (!HostExists(path)) GTEST_SKIP() << "the Windows build is missing (" << path << ")";
  const std::string whole = ReadHostFile(path);
  ASSERT_TRUE(ReadPeImage(whole, &problem)) << problem;
  for (size_t size : {size_t{64}, size_t{0x80}, size_t{0x200}, size_t{0x400}, whole.size() / 2}) {
    ReadPeImage(whole.substr(0, size), &problem);  // refused or read within bounds
  }
  std::string pointed_away = whole;
  pointed_away[0x3c] = '\xff';
  pointed_away[0x3d] = '\xff';
  EXPECT_FALSE(ReadPeImage(pointed_away, &problem));
}

}  // namespace
}  // namespace velsetup::testing
