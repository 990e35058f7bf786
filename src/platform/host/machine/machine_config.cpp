#include "platform/host/machine/machine_config.h"

#include <cstdlib>
#include <map>
#include <vector>

#include "platform/host/files/drive_access.h"

namespace velsetup::host {

namespace {

struct OsEntry {
  const char* name;
  OsVersionInfo version;
};

// On the 9x family the high word of the build number repeats the version
// (4.10 build 1998 reads 0x040A07CE), as those systems report it.
constexpr uint32_t Build9x(uint32_t major, uint32_t minor, uint32_t build) {
  return (major << 24) | (minor << 16) | build;
}

const OsEntry kOsTable[] = {
    {"win95", {4, 0, Build9x(4, 0, 950), kPlatformWin32Windows, ""}},
    {"win98", {4, 10, Build9x(4, 10, 1998), kPlatformWin32Windows, ""}},
    {"winme", {4, 90, Build9x(4, 90, 3000), kPlatformWin32Windows, ""}},
    {"nt4", {4, 0, 1381, kPlatformWin32Nt, "Service Pack 6"}},
    {"win2000", {5, 0, 2195, kPlatformWin32Nt, ""}},
    {"winxp", {5, 1, 2600, kPlatformWin32Nt, ""}},
};

constexpr char kIniName[] = "machine.ini";
// What ReadString gives for a key that is not there at all; no value read
// from a file can hold this byte.
constexpr char kAbsent[] = "\x7f";

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string CleanValue(const std::string& raw) {
  std::string value = raw;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == ';' && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
      value.erase(i);
      break;
    }
  }
  const size_t first = value.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const size_t last = value.find_last_not_of(" \t");
  return value.substr(first, last - first + 1);
}

class IniReader {
 public:
  IniReader(ProfileStore& store, std::string path) : store_(store), path_(std::move(path)) {}
  // The cleaned value; empty for a missing or empty key.
  std::string Get(const char* section, const std::string& key) {
    return CleanValue(store_.ReadString(path_, section, key, ""));
  }
  bool Has(const char* section, const std::string& key) {
    return store_.ReadString(path_, section, key, kAbsent) != kAbsent;
  }
  // The keys of a section in file order, repeats included, as written.
  std::vector<std::string> Keys(const char* section) {
    std::vector<char> buffer(64 * 1024);
    uint32_t error = 0;
    const uint32_t length = store_.GetSection(section, buffer.data(),
                                              static_cast<uint32_t>(buffer.size()), path_, &error);
    std::vector<std::string> keys;
    for (size_t start = 0; start < length;) {
      const std::string line(buffer.data() + start);
      start += line.size() + 1;
      const size_t equals = line.find('=');
      if (equals != std::string::npos && line[0] != ';') {
        keys.push_back(CleanValue(line.substr(0, equals)));
      }
    }
    return keys;
  }

 private:
  ProfileStore& store_;
  std::string path_;
};

WindowsPath ReadDirectory(IniReader& ini, const char* key, const WindowsPath& fallback,
                          std::vector<std::string>* warnings) {
  const std::string text = ini.Get("Machine", key);
  if (text.empty()) return fallback;
  WindowsPath path;
  if (ParseAbsoluteWindowsPath(text, &path)) return path;
  warnings->push_back(std::string("[Machine] ") + key + "=" + text +
                      " is not a full Windows path; using " + fallback.Text());
  return fallback;
}

WindowsPath Below(const WindowsPath& directory, const char* name) {
  WindowsPath path = directory;
  path.components.push_back(name);
  return path;
}

// A section keyed by drive letters: each key a single letter, each letter
// once (the profile reads the first of a name, so a second is dead text).
void CheckDriveKeys(IniReader& ini, const char* section, std::vector<std::string>* warnings) {
  std::map<char, int> seen;
  for (const std::string& key : ini.Keys(section)) {
    const char letter = key.size() == 1 ? key[0] : '\0';
    const char upper = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 32) : letter;
    if (upper < 'A' || upper > 'Z') {
      warnings->push_back(std::string("[") + section + "] " + key +
                          "= is not a drive letter; it is ignored");
      continue;
    }
    if (++seen[upper] == 2) {
      warnings->push_back(std::string("[") + section + "] " + std::string(1, upper) +
                          " is given more than once; only the first is used");
    }
  }
}

}  // namespace

bool OsVersionFor(const std::string& os_name, OsVersionInfo* version) {
  const std::string name = Lowered(os_name);
  for (const OsEntry& entry : kOsTable) {
    if (name == entry.name) {
      *version = entry.version;
      return true;
    }
  }
  return false;
}

bool ParseMachineNumber(const std::string& text, uint16_t* value) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 8) return false;
  unsigned long number = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    number = number * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
  }
  if (number > 0xFFFF) return false;
  *value = static_cast<uint16_t>(number);
  return true;
}

MachineConfig LoadMachineConfig(const std::string& machine_dir, ProfileStore& store,
                                std::vector<std::string>* warnings) {
  IniReader ini(store, JoinHostPath(machine_dir, kIniName));
  MachineConfig config;

  const std::string os = ini.Get("Machine", "OS");
  if (!os.empty() && OsVersionFor(os, &config.version)) {
    config.os_name = Lowered(os);
  } else {
    if (!os.empty()) warnings->push_back("[Machine] OS=" + os + " is unknown; using win2000");
    OsVersionFor("win2000", &config.version);
  }
  const bool nt = config.nt_family();

  const std::string language = ini.Get("Machine", "UserLanguage");
  if (!language.empty() && !ParseMachineNumber(language, &config.user_language)) {
    warnings->push_back("[Machine] UserLanguage=" + language + " is no language id; using 0x0409");
  }

  WindowsPath default_windows;
  ParseAbsoluteWindowsPath(nt && config.os_name != "winxp" ? "C:\\WINNT" : "C:\\WINDOWS",
                           &default_windows);
  config.windows_dir = ReadDirectory(ini, "WindowsDir", default_windows, warnings);
  config.system_dir =
      ReadDirectory(ini, "SystemDir", Below(config.windows_dir, nt ? "system32" : "SYSTEM"),
                    warnings);
  config.temp_dir = ReadDirectory(ini, "TempDir", Below(config.windows_dir, "TEMP"), warnings)
                        .Text();
  if (config.temp_dir.back() != '\\') config.temp_dir += '\\';
  WindowsPath root;
  ParseAbsoluteWindowsPath("C:\\", &root);
  config.current_dir = ReadDirectory(ini, "CurrentDir", root, warnings);

  const std::string module = ini.Get("Machine", "ModulePath");
  WindowsPath module_path;
  if (!module.empty()) {
    if (ParseAbsoluteWindowsPath(module, &module_path) && !module_path.components.empty()) {
      config.module_path = module_path.Text();
    } else {
      warnings->push_back("[Machine] ModulePath=" + module +
                          " is not a full Windows path of a file; using the host binary");
    }
  }

  CheckDriveKeys(ini, "Drives", warnings);
  CheckDriveKeys(ini, "DriveAccess", warnings);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string key(1, letter);
    std::string directory;
    if (ini.Has("Drives", key)) {
      directory = ini.Get("Drives", key);
    } else if (letter == 'C') {
      directory = "drive_c";
    } else if (letter == 'Z') {
      directory = "/";
    }
    if (directory.empty()) continue;
    const std::string host_root =
        LexicallyNormalHostPath(directory[0] == '/' ? directory : JoinHostPath(machine_dir, directory));
    DriveAccess access = DriveAccess::kDefault;
    const std::string access_text = ini.Get("DriveAccess", key);
    if (!access_text.empty() && !ParseDriveAccess(access_text, &access)) {
      warnings->push_back("[DriveAccess] " + key + "=" + access_text +
                          " is neither writable nor read-only; the drive keeps its default");
    }
    config.drives.push_back(
        DriveMapping{letter, host_root, DriveIsWritable(host_root, machine_dir, access)});
  }

  config.bios_signature = ini.Has("Bios", "Signature") ? ini.Get("Bios", "Signature") : "VELMOR";
  const std::string system_id = ini.Get("Bios", "SystemID");
  if (!system_id.empty() && !ParseMachineNumber(system_id, &config.bios_system_id)) {
    warnings->push_back("[Bios] SystemID=" + system_id + " is no 16-bit number; using 0x0000");
  }
  config.bios_id_string = ini.Get("Bios", "IdString");

  std::string failing = ini.Get("Machine", "FailPrivileges");
  for (size_t start = 0; start <= failing.size();) {
    size_t comma = failing.find(',', start);
    if (comma == std::string::npos) comma = failing.size();
    std::string name = failing.substr(start, comma - start);
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (!name.empty()) config.failing_privileges.push_back(name);
    start = comma + 1;
  }
  return config;
}

const char* DefaultMachineIni() {
  return "; A Windows machine simulated by velsetup. Every start of the tool creates what\n"
         "; is missing here (drive directories, the Windows, system and temp directories,\n"
         "; cmos.bin) and changes nothing that exists. An empty key takes its default.\n"
         "\n"
         "[Machine]\n"
         "; The Windows that GetVersionExA reports: win95, win98, winme, nt4, win2000 or winxp.\n"
         "OS=win2000\n"
         "; GetUserDefaultLangID: hex (0x0409) or decimal (1033).\n"
         "UserLanguage=0x0409\n"
         "; Default C:\\WINDOWS on the 9x family and XP, C:\\WINNT on NT 4.0 and 2000.\n"
         "WindowsDir=\n"
         "; Default <WindowsDir>\\SYSTEM on the 9x family, <WindowsDir>\\system32 on NT.\n"
         "SystemDir=\n"
         "; Default <WindowsDir>\\TEMP\\ (GetTempPathA always ends it in a backslash).\n"
         "TempDir=\n"
         "; Default C:\\\n"
         "CurrentDir=\n"
         "; The tool's own path (GetModuleFileNameA), whose directory is ~%C001. Default:\n"
         "; the host program's path when it lies inside this directory; otherwise beside\n"
         "; the script (Z:\\home\\a\\kit\\velsetup for /home/a/kit/setup.ini), or in the\n"
         "; current directory when no script is named.\n"
         "ModulePath=\n"
         "; Privileges whose adjustment fails, comma-separated (SeShutdownPrivilege, ...).\n"
         "FailPrivileges=\n"
         "\n"
         "[Drives]\n"
         "; A drive letter and its directory: relative to this machine's directory, or\n"
         "; absolute. C and Z are always there unless given empty; list D, E, ... to add\n"
         "; drives.\n"
         "C=drive_c\n"
         "; The host's root, as Wine maps it: read-only, see [DriveAccess].\n"
         "Z=/\n"
         "\n"
         "[DriveAccess]\n"
         "; A drive whose directory lies outside this machine's directory is read-only:\n"
         "; every change there fails with error 19 (the media is write protected), so a\n"
         "; script cannot touch the host. D=writable lends one such drive to the\n"
         "; machine; D=read-only makes a drive inside the machine act as a CD.\n"
         "\n"
         "[Bios]\n"
         "; The 6 bytes at F000:FFEA (zero bytes pad a shorter text); empty for a machine\n"
         "; of another maker.\n"
         "Signature=VELMOR\n"
         "SystemID=0x0000\n"
         "; What BIOS function 0x19 returns (at most 16 characters).\n"
         "IdString=\n";
}

}  // namespace velsetup::host
