// The lab's result as JSON. The schema is documented field by field in
// docs/lab.md; a field is only ever added there, never renamed or dropped,
// so scripts built on the report keep working.
#include "lab/json_writer.h"
#include "lab/lab_report.h"
#include "lab/report_support.h"

namespace velsetup::lab {
namespace {

using Layout = JsonWriter::Layout;

void WriteRestarts(JsonWriter& json, const std::vector<Restart>& restarts) {
  json.Key("restarts");
  json.BeginArray();
  for (const Restart& restart : restarts) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("after_run", restart.after_run);
    json.Member("started_by", restart.started_by);
    json.Member("command_line", restart.command_line);
    json.EndObject();
  }
  json.EndArray();
}

void WriteRuns(JsonWriter& json, const LabResult& result, const ProfileResult& profile) {
  json.Key("sections");
  json.BeginArray();
  for (const SectionRun& section : profile.sections) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("run", section.run);
    json.Member("name", section.name);
    json.EndObject();
  }
  json.EndArray();
  json.Key("commands");
  json.BeginArray();
  for (const CommandRun& command : profile.commands) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("run", command.run);
    json.Member("section", command.section);
    json.Member("file", FileName(result, command.file));
    json.Member("line", command.line);
    json.Member("number", static_cast<int64_t>(command.number));
    json.EndObject();
  }
  json.EndArray();
}

void WriteLog(JsonWriter& json, const std::vector<LogLine>& log) {
  json.Key("log");
  json.BeginObject();
  const struct {
    const char* key;
    const char* kind;
  } kinds[] = {{"errors", "ERROR"}, {"warnings", "WARNING"}, {"notices", "NOTICE"}};
  for (const auto& kind : kinds) {
    json.Key(kind.key);
    json.BeginArray();
    for (const LogLine& line : log) {
      if (line.kind != kind.kind) continue;
      json.BeginObject(JsonWriter::kInline);
      json.Member("run", line.run);
      json.Member("text", line.text);
      json.EndObject();
    }
    json.EndArray();
  }
  json.EndObject();
}

void WriteBoxesAndPrograms(JsonWriter& json, const ProfileResult& profile) {
  json.Key("boxes");
  json.BeginArray();
  for (const MessageBox& box : profile.boxes) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("run", box.run);
    json.Member("title", box.title);
    json.Member("text", box.text);
    json.Member("answer", box.answer);
    json.EndObject();
  }
  json.EndArray();
  json.Key("programs");
  json.BeginArray();
  for (const ProgramStart& program : profile.programs) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("run", program.run);
    json.Member("command_line", program.command_line);
    json.EndObject();
  }
  json.EndArray();
}

// The old side of a change exists unless it was added, the new side unless
// it was removed; an entry carries only the sides that exist.
bool HasOld(Change change) { return change != Change::kAdded; }
bool HasNew(Change change) { return change != Change::kRemoved; }

void WriteChanges(JsonWriter& json, const Changes& changes) {
  json.Key("changes");
  json.BeginObject();
  json.Key("files");
  json.BeginArray();
  for (const FileChange& file : changes.files) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("change", ChangeWord(file.change));
    json.Member("path", file.path);
    json.Member("directory", file.directory);
    if (HasOld(file.change)) {
      if (!file.directory) json.Member("old_size", static_cast<int64_t>(file.old_size));
      json.Member("old_attributes", static_cast<int64_t>(file.old_attributes));
    }
    if (HasNew(file.change)) {
      if (!file.directory) json.Member("new_size", static_cast<int64_t>(file.new_size));
      json.Member("new_attributes", static_cast<int64_t>(file.new_attributes));
    }
    json.Member("tool_own", file.tool_own);
    json.EndObject();
  }
  json.EndArray();
  json.Key("registry");
  json.BeginArray();
  for (const RegistryChange& entry : changes.registry) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("change", ChangeWord(entry.change));
    json.Member("key", entry.key);
    // A key added or removed as a whole has no value of its own.
    if (!entry.key_only) {
      json.Member("value", entry.value);
      if (HasOld(entry.change)) json.Member("old", entry.old_data);
      if (HasNew(entry.change)) json.Member("new", entry.new_data);
    }
    json.EndObject();
  }
  json.EndArray();
  json.Key("ini");
  json.BeginArray();
  for (const IniChange& entry : changes.ini) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("change", ChangeWord(entry.change));
    json.Member("file", entry.file);
    json.Member("section", entry.section);
    json.Member("key", entry.key);
    if (HasOld(entry.change)) json.Member("old", entry.old_value);
    if (HasNew(entry.change)) json.Member("new", entry.new_value);
    json.Member("tool_own", entry.tool_own);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteProfile(JsonWriter& json, const LabResult& result, const ProfileResult& profile) {
  json.BeginObject();
  json.Member("name", profile.profile.name);
  json.Member("os", profile.profile.os);
  json.Member("power", profile.profile.power);
  json.Member("outcome", OutcomeWord(profile.outcome));
  json.Member("outcome_text", OutcomeText(profile.outcome));
  json.Key("findings");
  json.BeginArray();
  for (const std::string& finding : profile.findings) json.String(finding);
  json.EndArray();
  json.Member("runs", profile.runs);
  WriteRestarts(json, profile.restarts);
  WriteRuns(json, result, profile);
  WriteLog(json, profile.log);
  WriteBoxesAndPrograms(json, profile);
  WriteChanges(json, profile.changes);
  json.Key("seconds");
  json.Seconds(profile.seconds);
  json.EndObject();
}

void WriteCoverage(JsonWriter& json, const LabResult& result, const LabAnalysis& analysis) {
  json.Key("coverage");
  json.BeginObject();
  json.Key("lines");
  json.BeginArray();
  for (const CoveredLine& line : analysis.lines) {
    json.BeginObject(JsonWriter::kInline);
    json.Member("file", FileName(result, line.file));
    json.Member("line", line.line);
    json.Key("profiles");
    json.BeginArray();
    for (int profile : line.profiles) {
      json.String(ProfileName(result, profile));
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.Key("uncovered");
  json.BeginArray();
  for (const CoveredLine& line : analysis.lines) {
    if (!line.profiles.empty()) continue;
    json.BeginObject(JsonWriter::kInline);
    json.Member("file", FileName(result, line.file));
    json.Member("line", line.line);
    json.Member("text", LineText(result, line.file, line.line));
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

}  // namespace

std::string JsonReport(const LabResult& result, const LabAnalysis& analysis) {
  JsonWriter json;
  json.BeginObject();
  json.Member("script", result.script);
  json.Key("files");
  json.BeginArray();
  for (const ScriptFile& file : result.files) json.String(file.name);
  json.EndArray();
  json.Key("profiles");
  json.BeginArray();
  for (const ProfileResult& profile : result.profiles) WriteProfile(json, result, profile);
  json.EndArray();
  json.Key("groups");
  json.BeginArray();
  for (const ProfileGroup& group : analysis.groups) {
    json.BeginArray(JsonWriter::kInline);
    for (int profile : group.profiles) {
      json.String(ProfileName(result, profile));
    }
    json.EndArray();
  }
  json.EndArray();
  WriteCoverage(json, result, analysis);
  json.Key("seconds");
  json.Seconds(result.seconds);
  json.Key("tool_seconds");
  json.Seconds(result.tool_seconds);
  json.EndObject();
  return json.text();
}

}  // namespace velsetup::lab
