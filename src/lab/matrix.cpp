#include "lab/matrix.h"

#include "platform/host/machine/machine_config.h"
#include "profile/profile_document.h"

namespace velsetup::lab {

namespace {

// Every machine.ini key a profile may set, with its section: the one place
// that knows which section a key goes to. ModulePath and the drives are the
// lab's own, so that every profile finds its kit and never sees the host.
struct MachineKey {
  const char* key;
  const char* section;
};
constexpr MachineKey kMachineKeys[] = {
    {"OS", "Machine"},        {"UserLanguage", "Machine"}, {"WindowsDir", "Machine"},
    {"SystemDir", "Machine"}, {"TempDir", "Machine"},      {"CurrentDir", "Machine"},
    {"FailPrivileges", "Machine"},
    {"Signature", "Bios"},    {"SystemID", "Bios"},        {"IdString", "Bios"},
};

bool SameName(const std::string& a, const std::string& b) {
  return profile::FoldName(a) == profile::FoldName(b);
}

std::vector<std::string> SplitBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// Sets a key, a later line of the same key replacing an earlier one (a
// profile's own line replaces the [Defaults] line).
void Set(Profile* profile, const std::string& section, const std::string& key,
         const std::string& value) {
  for (Profile::Setting& setting : profile->machine) {
    if (setting.section == section && SameName(setting.key, key)) {
      setting.value = value;
      return;
    }
  }
  profile->machine.push_back({section, key, value});
}

// Power, Answers and Options are the lab's own keys, kept beside the
// machine.ini settings under the section name "Lab" until CompleteProfile
// moves them into their fields.
constexpr const char* kLabSection = "Lab";

bool ApplyLine(const std::string& where, const std::string& key, const std::string& value,
               Profile* profile, std::string* error) {
  std::string canonical;
  if (const char* section = MachineSectionOf(key, &canonical)) {
    Set(profile, section, canonical, value);
    return true;
  }
  for (const char* own : {"Power", "Answers", "Options"}) {
    if (SameName(key, own)) {
      Set(profile, kLabSection, own, value);
      return true;
    }
  }
  *error = where + ": unknown key '" + key +
           "' (a profile takes OS, UserLanguage, WindowsDir, SystemDir, TempDir, CurrentDir, "
           "FailPrivileges, Signature, SystemID, IdString, Power, Answers, Options)";
  return false;
}

// A name that can only be one directory below --keep's.
bool UsableName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    if (!fits) return false;
  }
  return true;
}

}  // namespace

const char* MachineSectionOf(const std::string& key, std::string* canonical) {
  for (const MachineKey& entry : kMachineKeys) {
    if (SameName(key, entry.key)) {
      if (canonical != nullptr) *canonical = entry.key;
      return entry.section;
    }
  }
  return nullptr;
}

bool CompleteProfile(const std::string& where, Profile* profile, std::string* error) {
  std::vector<Profile::Setting> machine;
  profile->os = "win2000";  // machine.ini's own default
  profile->power.clear();
  profile->answers.clear();
  profile->options.clear();
  for (const Profile::Setting& setting : profile->machine) {
    if (setting.section != kLabSection) {
      machine.push_back(setting);
      if (setting.key == "OS" && !setting.value.empty()) profile->os = setting.value;
    } else if (setting.key == "Power") {
      profile->power = setting.value;
    } else if (setting.key == "Answers") {
      profile->answers = setting.value;
    } else {
      profile->options = SplitBlanks(setting.value);
    }
  }
  profile->machine = std::move(machine);
  OsVersionInfo version;
  if (!host::OsVersionFor(profile->os, &version)) {
    *error = where + ": key 'OS': unknown OS '" + profile->os +
             "' (one of win95, win98, winme, nt4, win2000, winxp)";
    return false;
  }
  for (char& c : profile->os) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (!profile->power.empty()) {
    std::string power = profile->power;
    for (char& c : power) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (power != "APM" && power != "ACPI") {
      *error = where + ": key 'Power': '" + profile->power + "' is neither APM nor ACPI";
      return false;
    }
    // Only Windows 98 is simulated with a choice of power management: the
    // tool's APM/ACPI branch asks the question on 98 alone.
    if (profile->os != "win98") {
      *error = where + ": key 'Power': only a Windows 98 profile takes Power, not OS=" +
               profile->os;
      return false;
    }
    profile->power = power;
  }
  return true;
}

bool ParseMatrix(const std::string& bytes, const std::string& file_name,
                 std::vector<Profile>* profiles, std::string* error) {
  const profile::ProfileDocument document = profile::ProfileDocument::Parse(bytes);
  Profile defaults;
  std::vector<Profile> found;
  for (const profile::ProfileSection& section : document.sections()) {
    if (!section.has_header) {
      for (size_t i = 0; i < section.line_count(); ++i) {
        const profile::LineMeaning meaning = profile::ReadLine(section.line(i).text);
        if (meaning.kind == profile::LineMeaning::kEntry) {
          *error = file_name + ": '" + section.line(i).text + "' lies before any [section]";
          return false;
        }
      }
      continue;
    }
    const profile::LineMeaning header = profile::ReadLine(section.lines[0].text);
    const std::string name(header.name);
    const bool is_defaults = SameName(name, "Defaults");
    const std::string where = file_name + " [" + name + "]";
    if (!is_defaults && !UsableName(name)) {
      *error = where + ": a profile's name is made of letters, digits, '-', '_' and '.' "
               "(it names the directory --keep keeps the machine in)";
      return false;
    }
    if (!is_defaults) {
      for (const Profile& earlier : found) {
        if (SameName(earlier.name, name)) {
          *error = where + ": a second profile of that name";
          return false;
        }
      }
    }
    Profile profile;
    profile.name = name;
    for (size_t i = 1; i < section.line_count(); ++i) {
      const profile::LineMeaning meaning = profile::ReadLine(section.line(i).text);
      if (meaning.kind != profile::LineMeaning::kEntry) continue;
      if (!meaning.has_equals) {
        *error = where + ": '" + std::string(meaning.name) + "' is no key=value line";
        return false;
      }
      if (!ApplyLine(where, std::string(meaning.name),
                     std::string(profile::Unquoted(meaning.value)), &profile, error)) {
        return false;
      }
    }
    if (is_defaults) {
      for (const Profile::Setting& setting : profile.machine) {
        Set(&defaults, setting.section, setting.key, setting.value);
      }
    } else {
      found.push_back(std::move(profile));
    }
  }
  if (found.empty()) {
    *error = file_name + ": no profile (a matrix needs at least one section besides [Defaults])";
    return false;
  }
  for (Profile& profile : found) {
    Profile merged = defaults;
    merged.name = profile.name;
    for (const Profile::Setting& setting : profile.machine) {
      Set(&merged, setting.section, setting.key, setting.value);
    }
    if (!CompleteProfile(file_name + " [" + profile.name + "]", &merged, error)) return false;
    profile = std::move(merged);
  }
  *profiles = std::move(found);
  return true;
}

std::vector<Profile> DefaultMatrix() {
  struct Kind {
    const char* name;
    const char* os;
    const char* power;
  };
  constexpr Kind kKinds[] = {
      {"win95", "win95", ""},       {"win98-apm", "win98", "APM"},
      {"win98-acpi", "win98", "ACPI"}, {"winme", "winme", ""},
      {"nt4", "nt4", ""},           {"win2000", "win2000", ""},
      {"winxp", "winxp", ""},
  };
  std::vector<Profile> profiles;
  for (const Kind& kind : kKinds) {
    for (bool foreign : {false, true}) {
      Profile profile;
      profile.name = std::string(kind.name) + (foreign ? "-foreign" : "");
      profile.machine.push_back({"Machine", "OS", kind.os});
      // A foreign PC has no signature at all; the maker's keeps the default.
      if (foreign) profile.machine.push_back({"Bios", "Signature", ""});
      if (*kind.power != '\0') profile.machine.push_back({kLabSection, "Power", kind.power});
      std::string error;
      CompleteProfile(profile.name, &profile, &error);
      profiles.push_back(std::move(profile));
    }
  }
  return profiles;
}

}  // namespace velsetup::lab
