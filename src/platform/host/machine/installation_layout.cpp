#include "platform/host/machine/installation_layout.h"

#include "platform/language_codes.h"

namespace velsetup::host {

namespace {

WindowsPath Below(const WindowsPath& directory, std::initializer_list<const char*> names) {
  WindowsPath path = directory;
  for (const char* name : names) path.components.push_back(name);
  return path;
}

WindowsPath Root(char drive) {
  WindowsPath root;
  root.drive = drive;
  return root;
}

const char* ProductName(const MachineConfig& config) {
  const std::string& os = config.os_name;
  if (os == "win95") return "Microsoft Windows 95";
  if (os == "win98") return "Microsoft Windows 98";
  if (os == "winme") return "Microsoft Windows ME";
  if (os == "win2000") return "Microsoft Windows 2000";
  if (os == "winxp") return "Microsoft Windows XP";
  return "";  // NT 4.0 names no product there
}

}  // namespace

const char kDescriptionFilePath[] = "C:\\system.sav\\util\\rix.ini";

InstallationLayout LayoutOf(const MachineConfig& config) {
  InstallationLayout layout;
  const WindowsPath& windows = config.windows_dir;
  const bool nt = config.nt_family();
  layout.program_files = Below(Root(windows.drive), {"Program Files"});
  layout.common_files = Below(layout.program_files, {"Common Files"});
  layout.inf = Below(windows, {nt ? "inf" : "INF"});
  layout.product_name = ProductName(config);

  std::vector<WindowsPath>& dirs = layout.directories;
  dirs.push_back(windows);
  dirs.push_back(config.system_dir);
  if (nt) dirs.push_back(Below(config.system_dir, {"drivers"}));
  WindowsPath temp;
  if (ParseAbsoluteWindowsPath(config.temp_dir, &temp)) dirs.push_back(temp);
  dirs.push_back(layout.inf);
  dirs.push_back(Below(windows, {nt ? "Fonts" : "FONTS"}));
  dirs.push_back(Below(windows, {nt ? "Help" : "HELP"}));
  if (!nt) {
    dirs.push_back(Below(windows, {"COMMAND"}));
    dirs.push_back(Below(windows, {"Desktop"}));
    dirs.push_back(Below(windows, {"Start Menu", "Programs", "StartUp"}));
    layout.common_startup = dirs.back();
  } else {
    // NT 4.0 keeps the profiles in the Windows directory, 2000 and XP on
    // the drive's root.
    const WindowsPath profiles = config.version.major < 5
                                     ? Below(windows, {"Profiles"})
                                     : Below(Root(windows.drive), {"Documents and Settings"});
    for (const char* user : {"All Users", "Default User", "Administrator"}) {
      dirs.push_back(Below(profiles, {user, "Desktop"}));
      dirs.push_back(Below(profiles, {user, "Start Menu", "Programs"}));
    }
    dirs.push_back(Below(profiles, {"All Users", "Start Menu", "Programs", "Startup"}));
    layout.common_startup = dirs.back();
  }
  dirs.push_back(layout.program_files);
  dirs.push_back(layout.common_files);
  return layout;
}

std::string DescriptionFileText(const MachineConfig& config) {
  if (config.bios_signature.empty()) return std::string();
  const char* code = LanguageCodeOf(config.user_language);
  // A language without a code of its own reads as "XX", as a missing key does.
  return std::string("[Description]\r\nVelmorLanguage=") + (code != nullptr ? code : "XX") +
         "\r\n";
}

}  // namespace velsetup::host
