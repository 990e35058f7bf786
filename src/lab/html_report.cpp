// The lab's result as one page that opens anywhere, offline: the styles are
// inline, the graph is inline SVG, and nothing is fetched. No script runs on
// it; everything is plain markup, so there is nothing to fail in a browser.
#include <map>
#include <utility>

#include "lab/html_text.h"
#include "lab/lab_report.h"
#include "lab/report_support.h"
#include "lab/script_view.h"
#include "lab/section_graph.h"

namespace velsetup::lab {
namespace {

const char kStyle[] = R"(
body { font: 14px/1.4 sans-serif; margin: 1.5em; color: #1d1d1d; background: #fff; }
h1 { font-size: 1.5em; margin-bottom: 0.2em; }
h2 { font-size: 1.2em; margin-top: 2em; border-bottom: 1px solid #ccc; }
h3 { font-size: 1em; margin: 1em 0 0.3em; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 2px 8px; vertical-align: top; }
th { background: #eee; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
.summary td, .summary th, .changes td, .changes th { border: 1px solid #ddd; }
.ended { color: #1c5a2c; }
.bad { color: #a83232; font-weight: bold; }
.graph { overflow-x: auto; border: 1px solid #ddd; background: #fcfcfc; }
svg.sections text { font: 12px monospace; text-anchor: middle; }
svg.sections .edge path { fill: none; stroke: #777; stroke-width: 1.3; }
svg.sections .edge text { font: 10px sans-serif; fill: #333; paint-order: stroke;
  stroke: #fcfcfc; stroke-width: 3px; }
svg.sections .missing rect { stroke-dasharray: 4 3; }
svg.sections .edge.reads path { stroke: #8aa0bf; stroke-dasharray: 3 3; }
svg.sections .name { font-weight: bold; }
.legend span { display: inline-block; padding: 0 6px; margin-right: 6px; border: 1px solid #999; }
table.script { font: 12px monospace; }
table.script td { padding: 0 6px; white-space: pre; }
table.script td.n { color: #888; text-align: right; }
table.script td.c { text-align: right; min-width: 3em; }
tr.c0 { background: #f2d4d4; }
tr.c1 { background: #e9f5e7; }
tr.c2 { background: #cfe9cb; }
tr.c3 { background: #acd9a6; }
tr.c4 { background: #86c77f; }
.groups { display: flex; gap: 1.5em; align-items: flex-start; overflow-x: auto; }
.group { flex: 0 0 auto; min-width: 22em; max-width: 48em; border: 1px solid #ccc;
  padding: 0.6em 1em; background: #fafafa; }
.group h3 { margin-top: 0; }
.group ul { margin: 0.2em 0; padding-left: 1.3em; }
.changes { font-size: 12px; margin-bottom: 0.8em; }
.changes td { font-family: monospace; }
.own { color: #777; }
)";

std::string Cell(const std::string& html, const char* cls = nullptr) {
  return cls == nullptr ? "<td>" + html + "</td>" : "<td class=\"" + std::string(cls) + "\">" + html + "</td>";
}

std::string OutcomeHtml(const ProfileResult& profile) {
  const char* cls = profile.outcome == Outcome::kEnded ? "ended" : "bad";
  return "<span class=\"" + std::string(cls) + "\">" + Html(OutcomeText(profile.outcome)) +
         "</span>";
}

std::string Summary(const LabResult& result) {
  std::string html =
      "<h2 id=\"profiles\">Profiles</h2>\n<table class=\"summary\">\n<tr><th>Profile</th>"
      "<th>OS</th><th>Outcome</th><th>Runs</th><th>Sections</th><th>Errors</th>"
      "<th>Warnings</th><th>Restarts</th><th>Files</th><th>Registry values</th>"
      "<th>INI keys</th><th>Seconds</th></tr>\n";
  for (const ProfileResult& profile : result.profiles) {
    html += "<tr>" + Cell(Html(profile.profile.name)) + Cell(Html(SystemOf(profile.profile))) +
            Cell(OutcomeHtml(profile)) + Cell(Num(profile.runs), "num") +
            Cell(Num(static_cast<double>(profile.sections.size())), "num") +
            Cell(Num(profile.errors()), profile.errors() > 0 ? "num bad" : "num") +
            Cell(Num(profile.warnings()), "num") +
            Cell(Num(static_cast<double>(profile.restarts.size())), "num") +
            Cell(Num(FilesChanged(profile)), "num") + Cell(Num(ValuesChanged(profile)), "num") +
            Cell(Num(static_cast<double>(profile.changes.ini.size())), "num") +
            Cell(Num(profile.seconds, 2), "num") + "</tr>\n";
  }
  return html + "</table>\n";
}

std::string Graph(const LabResult& result) {
  const ScriptView view(result);
  const SectionGraph graph = BuildSectionGraph(result, view);
  const int profiles = static_cast<int>(result.profiles.size());
  return "<h2 id=\"sections\">Sections</h2>\n<p class=\"legend\">Each box is a section, with "
         "the number of profiles that started it: <span style=\"background:#f2d4d4\">none"
         "</span><span style=\"background:#b4dcae\">some</span><span style=\"background:"
         "#1c8038;color:#fff\">all</span>. <span style=\"background:#dde6f3\">data</span> "
         "sections are read by the commands of the section whose dashed arrow leads to them. Arrows "
         "are branches, jumps, answers and appended files; dashed boxes are named but nowhere to be "
         "found.</p>\n<div class=\"graph\">" +
         GraphSvg(graph, profiles) + "</div>\n";
}

// The tint of a line: how large a share of the profiles ran it.
const char* Tint(size_t ran, size_t profiles) {
  if (ran == 0) return "c0";
  if (ran >= profiles) return "c4";
  const size_t quarter = ran * 4 / profiles;
  return quarter >= 2 ? "c3" : quarter == 1 ? "c2" : "c1";
}

std::string Script(const LabResult& result, const LabAnalysis& analysis) {
  std::map<std::pair<int, int>, const CoveredLine*> covered;
  for (const CoveredLine& line : analysis.lines) covered[{line.file, line.line}] = &line;
  std::string html =
      "<h2 id=\"script\">Script</h2>\n<p>Beside each line a run can reach: how many profiles "
      "ran it. Red lines ran on no profile.</p>\n";
  for (size_t f = 0; f < result.files.size(); ++f) {
    const int file = static_cast<int>(f);
    html += "<h3>" + Html(result.files[f].name) + "</h3>\n<table class=\"script\">\n";
    const std::vector<std::string>& lines = result.files[f].lines;
    for (size_t i = 0; i < lines.size(); ++i) {
      const int number = static_cast<int>(i + 1);
      const auto line = covered.find({file, number});
      if (line == covered.end()) {
        html += "<tr><td class=\"n\">" + Num(number) + "</td><td class=\"c\"></td><td>" +
                Html(lines[i]) + "</td></tr>\n";
        continue;
      }
      const std::vector<int>& profiles = line->second->profiles;
      std::string names;
      for (int profile : profiles) names += (names.empty() ? "" : ", ") + ProfileName(result, profile);
      const std::string title = profiles.empty() ? "ran on no profile" : "ran on " + names;
      html += "<tr class=\"" + std::string(Tint(profiles.size(), result.profiles.size())) +
              "\" title=\"" + Html(title) + "\"><td class=\"n\">" + Num(number) +
              "</td><td class=\"c\">" + (profiles.empty() ? "never" : Num(static_cast<double>(profiles.size()))) +
              "</td><td>" + Html(lines[i]) + "</td></tr>\n";
    }
    html += "</table>\n";
  }
  return html;
}

std::string Sizes(const FileChange& file) {
  if (file.directory) return "";
  switch (file.change) {
    case Change::kAdded: return Num(static_cast<double>(file.new_size));
    case Change::kRemoved: return Num(static_cast<double>(file.old_size));
    case Change::kChanged:
      return Num(static_cast<double>(file.old_size)) + " &rarr; " + Num(static_cast<double>(file.new_size));
  }
  return "";
}

std::string Attributes(const FileChange& file) {
  switch (file.change) {
    case Change::kAdded: return AttributeLetters(file.new_attributes);
    case Change::kRemoved: return AttributeLetters(file.old_attributes);
    case Change::kChanged:
      return file.old_attributes == file.new_attributes
                 ? AttributeLetters(file.new_attributes)
                 : AttributeLetters(file.old_attributes) + " &rarr; " +
                       AttributeLetters(file.new_attributes);
  }
  return "";
}

std::string FileTable(const std::vector<FileChange>& files, bool tool_own) {
  std::string rows;
  for (const FileChange& file : files) {
    if (file.tool_own != tool_own) continue;
    rows += "<tr>" + Cell(ChangeWord(file.change)) +
            Cell(Html(file.path) + (file.directory ? "\\" : "")) + Cell(Sizes(file), "num") +
            Cell(Attributes(file)) + "</tr>\n";
  }
  if (rows.empty()) return "";
  return std::string("<h4") + (tool_own ? " class=\"own\">The tool's own files" : ">Files") +
         "</h4>\n<table class=\"changes" + (tool_own ? " own" : "") +
         "\"><tr><th></th><th>Path</th><th>Size</th><th>Attributes</th></tr>\n" + rows +
         "</table>\n";
}

std::string RegistryTable(const std::vector<RegistryChange>& registry) {
  if (registry.empty()) return "";
  std::string html =
      "<h4>Registry</h4>\n<table class=\"changes\"><tr><th></th><th>Key</th><th>Value</th>"
      "<th>Old</th><th>New</th></tr>\n";
  for (const RegistryChange& entry : registry) {
    html += "<tr>" + Cell(ChangeWord(entry.change)) + Cell(Html(entry.key)) +
            Cell(entry.key_only ? "<i>the key</i>" : Html(entry.value)) +
            Cell(Html(entry.old_data)) + Cell(Html(entry.new_data)) + "</tr>\n";
  }
  return html + "</table>\n";
}

std::string IniTable(const std::vector<IniChange>& ini) {
  if (ini.empty()) return "";
  std::string html =
      "<h4>INI files</h4>\n<table class=\"changes\"><tr><th></th><th>File</th><th>Section</th>"
      "<th>Key</th><th>Old</th><th>New</th></tr>\n";
  for (const IniChange& entry : ini) {
    html += std::string(entry.tool_own ? "<tr class=\"own\">" : "<tr>") +
            Cell(ChangeWord(entry.change)) + Cell(Html(entry.file)) + Cell(Html(entry.section)) +
            Cell(Html(entry.key)) + Cell(Html(entry.old_value)) + Cell(Html(entry.new_value)) +
            "</tr>\n";
  }
  return html + "</table>\n";
}

// What may differ between the profiles of a group: their restarts, boxes
// and log.
std::string RunDetails(const ProfileResult& profile) {
  std::string html;
  if (!profile.restarts.empty()) {
    html += "<p>Restarts:</p><ul>";
    for (const Restart& restart : profile.restarts) {
      html += "<li>after run " + Num(restart.after_run) + ": " +
              (restart.started_by.empty() ? std::string("<span class=\"bad\">nothing started the tool</span>")
                                          : Html(restart.started_by) + " started <code>" +
                                                Html(restart.command_line) + "</code>") +
              "</li>";
    }
    html += "</ul>\n";
  }
  if (!profile.boxes.empty()) {
    html += "<p>Boxes:</p><ul>";
    for (const MessageBox& box : profile.boxes) {
      html += "<li>run " + Num(box.run) + ": <b>" + Html(box.title) + "</b> " + Html(box.text) +
              " &rarr; " + Html(box.answer) + "</li>";
    }
    html += "</ul>\n";
  }
  std::string log;
  for (const LogLine& line : profile.log) {
    if (line.kind == "NOTICE") continue;
    log += "<li" + std::string(line.kind == "ERROR" ? " class=\"bad\"" : "") + ">run " +
           Num(line.run) + ": " + Html(line.text) + "</li>";
  }
  if (!log.empty()) html += "<p>Errors and warnings:</p><ul>" + log + "</ul>\n";
  return html;
}

std::string Group(const LabResult& result, const ProfileGroup& group) {
  if (group.profiles.empty()) return "";
  std::string names;
  for (int profile : group.profiles) names += (names.empty() ? "" : ", ") + Html(ProfileName(result, profile));
  const int first_index = group.profiles.front();
  if (first_index < 0 || static_cast<size_t>(first_index) >= result.profiles.size()) return "";
  const ProfileResult& first = result.profiles[static_cast<size_t>(first_index)];
  std::string html = "<section class=\"group\">\n<h3>" + names + "</h3>\n<p>Outcome: " +
                     OutcomeHtml(first) + "</p>\n";
  if (!first.findings.empty()) {
    html += "<ul>";
    for (const std::string& finding : first.findings) html += "<li class=\"bad\">" + Html(finding) + "</li>";
    html += "</ul>\n";
  }
  // Restarts, boxes and log lines once when every profile of the group had
  // the same, else under each profile's name.
  std::vector<std::pair<std::string, std::string>> details;
  for (int profile : group.profiles) {
    if (profile < 0 || static_cast<size_t>(profile) >= result.profiles.size()) continue;
    details.emplace_back(ProfileName(result, profile), RunDetails(result.profiles[static_cast<size_t>(profile)]));
  }
  bool same = true;
  for (const auto& detail : details) same = same && detail.second == details.front().second;
  if (same) {
    html += details.front().second;
  } else {
    for (const auto& [name, detail] : details) {
      html += "<h4>" + Html(name) + "</h4>\n" + (detail.empty() ? "<p>No restart, box or error.</p>\n" : detail);
    }
  }
  const Changes& changes = first.changes;
  const std::string tables = FileTable(changes.files, false) + RegistryTable(changes.registry) +
                             IniTable(changes.ini) + FileTable(changes.files, true);
  html += tables.empty() ? "<p>No change to the machine.</p>\n" : tables;
  return html + "</section>\n";
}

std::string Groups(const LabResult& result, const LabAnalysis& analysis) {
  std::string html =
      "<h2 id=\"groups\">What each profile did</h2>\n<p>Profiles that ended alike, with the same "
      "changes to the machine, share a column.</p>\n<div class=\"groups\">\n";
  for (const ProfileGroup& group : analysis.groups) html += Group(result, group);
  return html + "</div>\n";
}

}  // namespace

std::string HtmlReport(const LabResult& result, const LabAnalysis& analysis) {
  const std::string script = result.files.empty() ? result.script : result.files.front().name;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>velsetup-lab: " +
      Html(script) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  int uncovered = 0;
  for (const CoveredLine& line : analysis.lines) uncovered += line.profiles.empty() ? 1 : 0;
  html += "<h1>velsetup-lab: " + Html(script) + "</h1>\n<p>" + Html(result.script) +
          ": profiles " + Num(static_cast<double>(result.profiles.size())) +
          ", groups that ended alike " + Num(static_cast<double>(analysis.groups.size())) +
          ", lines no profile ran " + Num(uncovered) + "; " + Num(result.seconds, 2) +
          " s.</p>\n";
  html += Summary(result) + Graph(result) + Script(result, analysis) + Groups(result, analysis);
  return html + "</body>\n</html>\n";
}

}  // namespace velsetup::lab
