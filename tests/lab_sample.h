// A made-up lab run for the report tests: a script that branches on the
// Windows, asks a question, reads data sections and appends a file, run on
// five profiles of which two pairs end alike.
#pragma once

#include <string>
#include <vector>

#include "lab/lab_result.h"

namespace velsetup::lab::sample {

inline std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
  return std::vector<std::string>(lines.begin(), lines.end());
}

// Line numbers are those of the script below; tests name them.
inline ScriptFile Script() {
  return {"deploy.ini", "/kit/deploy.ini",
          Lines({"[CommandsList]",                           // 1
                 "32,Start <&> \"quoted\" caf\xe9",           // 2
                 "18,Other,W95,W98,Other,Other",             // 3
                 "[W95]",                                    // 4
                 "15,Files",                                 // 5
                 "19,Ending",                                // 6
                 "[W98]",                                    // 7
                 "17,Ask,3,Yes,No",                          // 8
                 "[Other]",                                  // 9
                 "28,C:\\kit\\more.ini",                     // 10
                 "19,Extra",                                 // 11
                 "[Files]",                                  // 12
                 "a.txt,C:\\a.txt",                          // 13
                 "b.txt,C:\\b.txt",                          // 14
                 "[Ask.US]",                                 // 15
                 "Title=Go on?",                             // 16
                 "Message1=Install the <tools> & more?",     // 17
                 "[Yes]",                                    // 18
                 "3,RegSet",                                 // 19
                 "19,Ending",                                // 20
                 "[No]",                                     // 21
                 "10",                                       // 22
                 "[RegSet]",                                 // 23
                 "RegHive=HKEY_LOCAL_MACHINE",               // 24
                 "RegKey=Software\\Velmor",                  // 25
                 "RegValue=Done",                            // 26
                 "RegData=1",                                // 27
                 "RegDataType=4",                            // 28
                 "Note=no command reads this key",           // 29
                 "[Ending]",                                 // 30
                 "10",                                       // 31
                 "[Lonely]",                                 // 32
                 "10"})};                                    // 33
}

inline ScriptFile Appended() {
  return {"more.ini", "/kit/more.ini", Lines({"[Extra]", "32,From the appended file", "10"})};
}

inline ProfileResult Profile(const char* name, const char* os, const char* power) {
  ProfileResult result;
  result.profile.name = name;
  result.profile.os = os;
  result.profile.power = power;
  result.runs = 1;
  return result;
}

// Sections and commands of one run: {section, file, line, number}.
struct Step {
  const char* section;
  int file;
  int line;
  uint32_t number;
};

inline void Ran(ProfileResult& profile, int run, std::initializer_list<Step> steps) {
  for (const Step& step : steps) {
    if (profile.sections.empty() || profile.sections.back().name != step.section ||
        profile.sections.back().run != run) {
      profile.sections.push_back({run, step.section});
    }
    profile.commands.push_back({run, step.section, step.file, step.line, step.number});
  }
}

inline FileChange ToolLog() {
  FileChange log;
  log.path = "C:\\WINDOWS\\velsetup.log";
  log.new_size = 812;
  log.new_attributes = 0x20;
  log.tool_own = true;
  return log;
}

inline ProfileResult Win98(const char* name, const char* power) {
  ProfileResult p = Profile(name, "win98", power);
  Ran(p, 1, {{"CommandsList", 0, 2, 32}, {"CommandsList", 0, 3, 18}, {"W98", 0, 8, 17},
             {"Yes", 0, 19, 3}, {"Yes", 0, 20, 19}, {"Ending", 0, 31, 10}});
  p.boxes.push_back({1, "Go on?", "Install the <tools> & more?", "Yes"});
  RegistryChange value;
  value.key = "HKEY_LOCAL_MACHINE\\Software\\Velmor";
  value.value = "Done";
  value.new_data = "dword:00000001";
  RegistryChange key = value;
  key.key_only = true;
  key.value.clear();
  key.new_data.clear();
  p.changes.registry = {key, value};
  p.changes.files = {ToolLog()};
  return p;
}

inline LabResult Result() {
  LabResult result;
  result.script = "/kit/deploy.ini";
  result.files = {Script(), Appended()};

  ProfileResult win95 = Profile("win95", "win95", "");
  Ran(win95, 1, {{"CommandsList", 0, 2, 32}, {"CommandsList", 0, 3, 18}, {"W95", 0, 5, 15},
                 {"W95", 0, 6, 19}, {"Ending", 0, 31, 10}});
  FileChange a;
  a.path = "C:\\a.txt";
  a.new_size = 10;
  a.new_attributes = 0x20;
  FileChange b = a;
  b.path = "C:\\b.txt";
  b.new_size = 2048;
  win95.changes.files = {a, b, ToolLog()};
  win95.log.push_back({1, "WARNING", "WARNING: b.txt was replaced"});

  ProfileResult nt4 = Profile("nt4", "nt4", "");
  Ran(nt4, 1, {{"CommandsList", 0, 2, 32}, {"CommandsList", 0, 3, 18}, {"Other", 0, 10, 28},
               {"Other", 0, 11, 19}, {"Extra", 1, 2, 32}, {"Extra", 1, 3, 10}});
  nt4.outcome = Outcome::kNotContinued;
  nt4.findings = {"a restart was asked for, but nothing starts the tool again"};
  nt4.restarts.push_back({1, "", ""});
  nt4.log.push_back({1, "ERROR", "ERROR: CMD28 could not read C:\\kit\\more.ini"});

  ProfileResult win2000 = Profile("win2000", "win2000", "");
  win2000.commands = nt4.commands;
  win2000.sections = nt4.sections;
  win2000.runs = 2;
  win2000.restarts.push_back(
      {1, "RunOnce value HKEY_LOCAL_MACHINE\\...\\RunOnce\\velsetup", "C:\\kit\\velsetup.exe"});

  result.profiles = {win95, Win98("win98-apm", "APM"), nt4, Win98("win98-acpi", "ACPI"), win2000};
  result.seconds = 1.25;
  result.tool_seconds = 0.5;
  return result;
}

}  // namespace velsetup::lab::sample
