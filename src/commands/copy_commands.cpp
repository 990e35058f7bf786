#include "commands/copy_commands.h"

#include <optional>

#include "commands/command_params.h"
#include "commands/file_lines.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_lines.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"

namespace velsetup {

namespace {

constexpr uint32_t kEnded = 2;
constexpr size_t kLongPath = 511;  // inline copy paths and copy destinations
constexpr size_t kShortPath = 259;
constexpr const char* kWarning = "WARNINIG-=-";
constexpr const char* kMissingSection = "Missing the Data section or need an extra comma";

bool IsDirectory(uint32_t attributes) {
  return attributes != file_attribute::kInvalid &&
         (attributes & file_attribute::kDirectory) != 0;
}

// One CopyFileA that replaces the destination; false after logging the failure.
bool CopyLogged(const char* failure_prefix, const std::string& source,
                const std::string& destination) {
  WriteLog("  ", Format(" Copying %s to %s", source.c_str(), destination.c_str()));
  if (Files().CopyFileA(source.c_str(), destination.c_str(), false)) return true;
  const ErrorReport error = LastError();
  WriteLog(Format("%s -  Error=%u, %s", failure_prefix, static_cast<unsigned>(error.code),
                  error.text.c_str()),
           Format("\nfunction CopyFile() failed on src=%s, dst=%s", source.c_str(),
                  destination.c_str()));
  return false;
}

// An inline field that fits `max_length` before and after expansion.
std::optional<std::string> InlinePath(int32_t field, size_t max_length, const char* command) {
  const std::string text = InlineField(field, max_length + 2);
  if (!PathFits(text, max_length, command)) return std::nullopt;
  return ExpandedText(text, max_length);
}

uint32_t CopyInline() {
  const std::optional<std::string> source = InlinePath(1, kLongPath, "CMD15_CopyFile()");
  const std::optional<std::string> destination = InlinePath(2, kLongPath, "CMD15_CopyFile()");
  if (!source || !destination) return kEnded;
  if (!Files().CopyFileA(source->c_str(), destination->c_str(), false)) {
    const ErrorReport error = LastError();
    WriteLog(Format("CMD15_CopyFile() -  Error=%u, %s", static_cast<unsigned>(error.code),
                    error.text.c_str()),
             Format("\nfunction CopyFile() failed on src=%s, dst=%s", source->c_str(),
                    destination->c_str()));
    return kEnded;
  }
  WriteLog("  ", Format(" Copying %s to %s", source->c_str(), destination->c_str()));
  return 0;
}

// Carries out one data line; false when a failed copy ends the command.
bool CopyLine(std::string_view line) {
  PathPair pair;
  switch (ReadPathPair(line, &pair)) {
    case LineVerdict::kTaken: break;
    case LineVerdict::kNoComma:
      WriteLog(kWarning, Format("CMD15_CopyFile() -   Missing comma >%.*s<",
                                static_cast<int>(line.size()), line.data()));
      return true;
    case LineVerdict::kNoSource:
      WriteLog(kWarning, "CMD15_CopyFile() -  Invalid Parameters : Source Missing");
      return true;
    case LineVerdict::kNoDestination:
      WriteLog(kWarning, "CMD15_CopyFile() -  Invalid Parameters : Destination Missing");
      return true;
    default: return true;
  }
  if (pair.source.find('*') != std::string::npos) {
    WriteLog("NOTICE:", "Wild Cards not supported yet.");
    return true;
  }
  if (EndsWithBackslash(pair.destination)) {
    pair.destination.pop_back();
    WriteLog(kWarning, "CMD15_CopyFile() -  removing trailing \\ from destination");
  }
  if (!PathFits(pair.source, kShortPath, "CMD15_CopyFile()") ||
      !PathFits(pair.destination, kLongPath, "CMD15_CopyFile()")) {
    return true;
  }
  const std::string source = ExpandedText(pair.source, kShortPath);
  std::string destination = ExpandedText(pair.destination, kLongPath);
  WriteLog("  ", Format("CMD - copy %s to %s", source.c_str(), destination.c_str()));

  const uint32_t source_attributes = Files().GetFileAttributesA(source.c_str());
  if (source_attributes == file_attribute::kInvalid) {
    WriteLog(Format("CMD15_CopyFile() -  Invalid Parameters : SourceFile (%s) does not Exist",
                    source.c_str()),
             "");
    return true;
  }
  if (IsDirectory(source_attributes)) {
    SBCopyFile(source, destination);
    return true;
  }
  if (IsDirectory(Files().GetFileAttributesA(destination.c_str()))) {
    destination = JoinPath(destination, FileNameOf(source));
    if (!PathFits(destination, kLongPath, "CMD15_CopyFile()")) return true;
  }
  return CopyLogged("CMD15_CopyFile()", source, destination);
}

bool RenameLogged(const std::string& source, const std::string& destination,
                  const char* done_format) {
  if (Files().MoveFileA(source.c_str(), destination.c_str())) {
    WriteLog(" ", Format(done_format, source.c_str(), destination.c_str()));
    return true;
  }
  WriteLog("WARNING-=-", Format("function rename() failed on src=%s, dst=%s", source.c_str(),
                                destination.c_str()));
  return false;
}

void RenameLine(std::string_view line) {
  PathPair pair;
  switch (ReadPathPair(line, &pair)) {
    case LineVerdict::kTaken: break;
    case LineVerdict::kNoComma:
      WriteLog(kWarning,
               Format("Missing comma >%.*s<", static_cast<int>(line.size()), line.data()));
      return;
    case LineVerdict::kNoSource: WriteLog(kWarning, "Invalid Parameters : Source Missing"); return;
    case LineVerdict::kNoDestination:
      WriteLog(kWarning, "Invalid Parameters : Destination Missing");
      return;
    default: return;
  }
  if (pair.source.find('*') != std::string::npos) {
    WriteLog("NOTICE:", "Wild Cards not supported yet.");
    return;
  }
  if (EndsWithBackslash(pair.destination)) {
    pair.destination.pop_back();
    WriteLog(kWarning,
             Format("Removing trailing \\ from destination >%s<", pair.destination.c_str()));
  }
  if (!PathFits(pair.source, kShortPath, "CMD31_RenameFile()") ||
      !PathFits(pair.destination, kShortPath, "CMD31_RenameFile()")) {
    return;
  }
  RenameLogged(ExpandedText(pair.source, kShortPath),
               ExpandedText(pair.destination, kShortPath), " renamed %s to %s");
}

}  // namespace

uint32_t Cmd15_CopyFile() {
  if (ParametersAreInline()) return CopyInline();
  const std::optional<std::string> block = ReadDataSection(kMissingSection);
  if (!block) return kEnded;
  for (std::string_view line : BlockLines(*block)) {
    if (!CopyLine(line)) return kEnded;
  }
  return 0;
}

uint32_t Cmd31_RenameFile() {
  if (ParametersAreInline()) {
    const std::optional<std::string> source = InlinePath(1, kShortPath, "CMD31_RenameFile()");
    const std::optional<std::string> destination =
        InlinePath(2, kShortPath, "CMD31_RenameFile()");
    if (!source || !destination) return kEnded;
    return RenameLogged(*source, *destination, " Rename %s to %s") ? 0 : kEnded;
  }
  const std::optional<std::string> block = ReadDataSection(kMissingSection);
  if (!block) return kEnded;
  for (std::string_view line : BlockLines(*block)) RenameLine(line);
  return 0;
}

void SBCopyFile(const std::string& source, const std::string& destination) {
  FindData entry;
  FindHandle search = FindFirstLogged(source, &entry, "SBCopyFile()");
  if (search == kInvalidFind) return;
  Files().FindClose(search);

  const std::string pattern = source + (EndsWithBackslash(source) ? "*.*" : "\\*.*");
  search = Files().FindFirstFileA(pattern.c_str(), &entry);
  if (search == kInvalidFind) {
    const ErrorReport error = LastError();
    WriteLog(Format("SBCopyFile() - Invalid File Handle - %s", pattern.c_str()),
             Format("\nFindFirstFile(%s) %u-%s", pattern.c_str(),
                    static_cast<unsigned>(error.code), error.text.c_str()));
    return;
  }
  do {
    if (entry.file_name == "." || entry.file_name == "..") continue;
    const std::string from = JoinPath(source, entry.file_name);
    const std::string to = JoinPath(destination, entry.file_name);
    if (!PathFits(from, kShortPath, "SBCopyFile()") || !PathFits(to, kShortPath, "SBCopyFile()")) {
      continue;
    }
    if ((entry.attributes & file_attribute::kDirectory) != 0) {
      if (!Files().CreateDirectoryA(to.c_str())) {
        const ErrorReport error = LastError();
        if (error.code != win32_error::kAlreadyExists) {
          WriteLog(Format("SBCopyFile() -  Error=%u, %s", static_cast<unsigned>(error.code),
                          error.text.c_str()),
                   Format("\nfunction CreateDirectory() failed on Dir=%s", to.c_str()));
        }
      }
      SBCopyFile(from, to);
    } else {
      CopyLogged("SBCopyFile", from, to);
    }
  } while (Files().FindNextFileA(search, &entry));
  Files().FindClose(search);
}

}  // namespace velsetup
