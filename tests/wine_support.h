// Where the tests find 32-bit Wine and the Windows build, and how they start
// a program in a prefix of their own. The Windows build is a 32-bit i386
// program: it runs under Wine's 32-bit loader, in prefixes made with
// WINEARCH=win32 (a 64-bit prefix cannot be turned into one, so these carry
// "wine32" in their names).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velsetup::testing::wine {

inline constexpr const char* kLoader = "/usr/lib/wine/wine";
inline constexpr const char* kServer = "/usr/lib/wine/wineserver";

inline std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

// Why no Windows program can run here, or empty when 32-bit Wine is there.
inline std::string Missing() {
  struct stat info;
  if (::stat(kLoader, &info) != 0) {
    return std::string("32-bit Wine is not installed (") + kLoader +
           "; dpkg --add-architecture i386 && apt-get install wine32:i386)";
  }
  return "";
}

// The directory of the MinGW-w64 cross build (VELSETUP_WIN_BUILD_DIR
// overrides the one configured).
inline std::string WindowsBuildDir() { return EnvOr("VELSETUP_WIN_BUILD_DIR", VELSETUP_WIN_BUILD_DIR); }

// A prefix of the tests' own under TMPDIR, named for what uses it.
inline std::string PrefixPath(const std::string& name) {
  return EnvOr("TMPDIR", "/tmp") + "/velsetup_wine32_" + std::to_string(::getuid()) + "_" + name;
}

// `text` as one word of a shell command.
inline std::string ShellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// The variables every Wine command of the tests runs with, ending in a blank.
inline std::string Environment(const std::string& prefix) {
  return "WINEARCH=win32 WINEPREFIX=" + ShellWord(prefix) +
         " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= DISPLAY= ";
}

// A shell command that makes `prefix` once, under a lock that tests running
// side by side share: boots it and sets the Windows version its programs see
// (win95, win98, winme, nt40, win2k, winxp). Exits non-zero when Wine fails.
inline std::string MakePrefixCommand(const std::string& prefix, const std::string& version) {
  const std::string env = Environment(prefix);
  const std::string ready = ShellWord(prefix + "/.velsetup_ready");
  const std::string make = "[ -f " + ready + " ] || { " + env + kLoader +
                           " wineboot -i >/dev/null 2>&1 && " + env + kLoader +
                           " reg add 'HKCU\\Software\\Wine' /v Version /d " + version +
                           " /f >/dev/null 2>&1 && " + env + kServer + " -w && touch " + ready +
                           "; }";
  return "flock " + ShellWord(prefix + ".lock") + " sh -c " + ShellWord(make);
}

}  // namespace velsetup::testing::wine
