// The sections and keys of the working copy that the engine keeps, and the
// names of the per-slot keys a section start writes.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

// Sections and keys of the working copy that the engine owns.
namespace script_key {
constexpr const char* kCommandsList = "CommandsList";
constexpr const char* kCommands = "Commands";
constexpr const char* kState = "State";
constexpr const char* kData = "DATA";
constexpr const char* kVariables = "Variables";
constexpr const char* kCurrentCmd = "CurrentCmd";
constexpr const char* kCurrentSection = "CurrentSection";
constexpr const char* kNextSection = "NextSection";
constexpr const char* kSlotZeroProbe = "CMD0";
constexpr const char* kLogging = "Logging";
constexpr const char* kLogFile = "LogFile";
constexpr const char* kForceCleanStart = "ForceCleanStart";
constexpr const char* kSuppressReboot = "SuppressReboot";
constexpr const char* kSilentMode = "SilentMode";
constexpr const char* kRunCount = "RunCount";
constexpr const char* kDecCommand = "DecCommand";
constexpr const char* kIncCommand = "IncCommand";
constexpr const char* kIsVelmor = "IsVelmor";
constexpr const char* kDebug = "Debug";
// The default that tells an absent [State] key from an empty one.
constexpr const char* kAbsentMarker = "~x!x@x";
}  // namespace script_key

// "Cmd%d", "FullCmdSection%d", "CmdSection%d.%d".
std::string CmdKey(int32_t slot);
std::string FullCmdSectionKey(int32_t slot);
std::string CmdSectionKey(int32_t slot, int32_t field);

}  // namespace velsetup
