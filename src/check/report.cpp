#include "check/report.h"

#include "version.h"

namespace velsetup::check {

namespace {

const char kHex[] = "0123456789abcdef";
const char kUpperHex[] = "0123456789ABCDEF";

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string Text(const std::vector<FileFinding>& findings, int errors, int warnings) {
  std::string out;
  for (const FileFinding& finding : findings) {
    out += FormatDiagnostic(finding.file, finding.diagnostic) + "\n";
  }
  return out + Summary(errors, warnings) + "\n";
}

std::string Json(const std::vector<FileFinding>& findings) {
  std::string out = "[";
  for (size_t i = 0; i < findings.size(); ++i) {
    const Diagnostic& d = findings[i].diagnostic;
    out += i == 0 ? "\n" : ",\n";
    out += "{\"file\":" + JsonString(findings[i].file);
    if (d.line > 0) out += ",\"line\":" + std::to_string(d.line);
    if (d.column > 0) out += ",\"column\":" + std::to_string(d.column);
    out += std::string(",\"severity\":\"") + SeverityName(d.severity) + "\"";
    out += std::string(",\"rule\":\"") + InfoOf(d.rule).id + "\"";
    out += ",\"message\":" + JsonString(d.message) + "}";
  }
  return out + "\n]\n";
}

bool Unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

// A file name as a URI reference: '\' as '/', a full path as a file: URI (a
// drive letter would read as a scheme), other bytes percent-encoded.
std::string FileUri(const std::string& file) {
  std::string path = file;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::string out;
  const bool drive = path.size() >= 2 && path[1] == ':';
  if (drive) {
    out = "file:///" + path.substr(0, 2);
    path.erase(0, 2);
  } else if (!path.empty() && path[0] == '/') {
    out = "file://";
  }
  for (unsigned char c : path) {
    if (Unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kUpperHex[c >> 4];
      out += kUpperHex[c & 15];
    }
  }
  return out;
}

std::string Sarif(const std::vector<FileFinding>& findings) {
  std::string out =
      "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":\"2.1.0\","
      "\"runs\":[{\"tool\":{\"driver\":{\"name\":\"velsetup-check\",\"version\":"
      "\"" VELSETUP_VERSION_TEXT "\",\"rules\":[";
  for (size_t i = 0; i < kRuleCount; ++i) {
    const RuleInfo& info = InfoOf(static_cast<Rule>(i));
    out += i == 0 ? "\n" : ",\n";
    out += std::string("{\"id\":\"") + info.id +
           "\",\"shortDescription\":{\"text\":" + JsonString(info.description) + "}}";
  }
  out += "\n]}},\"results\":[";
  for (size_t i = 0; i < findings.size(); ++i) {
    const Diagnostic& d = findings[i].diagnostic;
    out += i == 0 ? "\n" : ",\n";
    out += std::string("{\"ruleId\":\"") + InfoOf(d.rule).id +
           "\",\"ruleIndex\":" + std::to_string(static_cast<int>(d.rule)) + ",\"level\":\"" +
           SeverityName(d.severity) + "\",\"message\":{\"text\":" + JsonString(d.message) +
           "},\"locations\":[{\"physicalLocation\":{\"artifactLocation\":{\"uri\":" +
           JsonString(FileUri(findings[i].file)) + "}";
    if (d.line > 0) {
      out += ",\"region\":{\"startLine\":" + std::to_string(d.line);
      if (d.column > 0) out += ",\"startColumn\":" + std::to_string(d.column);
      out += "}";
    }
    out += "}}]}";
  }
  return out + "\n]}]}\n";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + "\"";
}

std::string FormatReport(ReportFormat format, const std::vector<FileFinding>& findings, int errors,
                         int warnings) {
  switch (format) {
    case ReportFormat::kJson:
      return Json(findings);
    case ReportFormat::kSarif:
      return Sarif(findings);
    case ReportFormat::kText:
      break;
  }
  return Text(findings, errors, warnings);
}

}  // namespace velsetup::check
