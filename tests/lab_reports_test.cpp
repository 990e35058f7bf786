// The three forms of a lab run's result: the JSON read back against its
// documented schema, the terminal table as a whole text, and the page's
// escaping and structure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lab/html_text.h"
#include "lab/lab_report.h"
#include "lab_sample.h"

namespace velsetup::lab {
namespace {

// --- a small JSON reader: enough to hold the report to its schema, and
// strict enough that text the writer got wrong does not parse.

struct Json {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;  // in written order

  const Json& operator[](const std::string& key) const {
    for (const auto& member : members) {
      if (member.first == key) return member.second;
    }
    ADD_FAILURE() << "no member " << key;
    static const Json none;
    return none;
  }
  const Json& operator[](size_t i) const {
    static const Json none;
    if (i < items.size()) return items[i];
    ADD_FAILURE() << "no item " << i;
    return none;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& member : members) keys.push_back(member.first);
    return keys;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  bool Read(Json* value) {
    if (!Value(value)) return false;
    Blanks();
    return at_ == text_.size();
  }

 private:
  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n')) ++at_;
  }
  bool Eat(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) return ++at_, true;
    return false;
  }
  bool Word(const char* word) {
    const std::string w = word;
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  bool String(std::string* out) {
    if (!Eat('"')) return false;
    while (at_ < text_.size() && text_[at_] != '"') {
      const unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c < 0x20 || c >= 0x7F) return false;  // the writer escapes these
      if (c != '\\') {
        *out += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      const std::map<char, char> simple = {{'"', '"'}, {'\\', '\\'}, {'/', '/'}, {'b', '\b'},
                                           {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}};
      if (simple.count(e) != 0) {
        *out += simple.at(e);
      } else if (e == 'u' && at_ + 4 <= text_.size()) {
        const unsigned long code = std::strtoul(text_.substr(at_, 4).c_str(), nullptr, 16);
        if (code > 0xFF) return false;  // only bytes are ever escaped
        *out += static_cast<char>(code);
        at_ += 4;
      } else {
        return false;
      }
    }
    return Eat('"');
  }
  bool Value(Json* value) {
    Blanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '"') return value->kind = Json::kString, String(&value->text);
    if (c == '{') {
      value->kind = Json::kObject;
      ++at_;
      if (Eat('}')) return true;
      do {
        std::string key;
        Json member;
        if (!String(&key) || !Eat(':') || !Value(&member)) return false;
        value->members.emplace_back(key, std::move(member));
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      value->kind = Json::kArray;
      ++at_;
      if (Eat(']')) return true;
      do {
        Json item;
        if (!Value(&item)) return false;
        value->items.push_back(std::move(item));
      } while (Eat(','));
      return Eat(']');
    }
    if (Word("true")) return value->kind = Json::kBool, value->boolean = true, true;
    if (Word("false")) return value->kind = Json::kBool, true;
    if (Word("null")) return true;
    char* end = nullptr;
    value->number = std::strtod(text_.c_str() + at_, &end);
    if (end == text_.c_str() + at_) return false;
    at_ = static_cast<size_t>(end - text_.c_str());
    value->kind = Json::kNumber;
    return true;
  }

  const std::string& text_;
  size_t at_ = 0;
};

Json ParseReport(const LabResult& result) {
  const std::string text = JsonReport(result, Analyse(result));
  Json json;
  EXPECT_TRUE(JsonReader(text).Read(&json)) << text;
  return json;
}

using Keys = std::vector<std::string>;

TEST(LabJsonReport, FollowsTheDocumentedSchema) {
  const Json json = ParseReport(sample::Result());
  EXPECT_EQ(json.Keys(), (Keys{"script", "files", "profiles", "groups", "coverage", "seconds",
                               "tool_seconds"}));
  EXPECT_EQ(json["script"].text, "/kit/deploy.ini");
  EXPECT_EQ(json["files"][1].text, "more.ini");
  EXPECT_DOUBLE_EQ(json["seconds"].number, 1.25);
  ASSERT_EQ(json["profiles"].items.size(), 5u);

  const Json& win95 = json["profiles"][0];
  EXPECT_EQ(win95.Keys(), (Keys{"name", "os", "power", "outcome", "outcome_text", "findings",
                                "runs", "restarts", "sections", "commands", "log", "boxes",
                                "programs", "changes", "seconds"}));
  EXPECT_EQ(win95["sections"][1]["name"].text, "W95");
  EXPECT_EQ(win95["sections"][1].Keys(), (Keys{"run", "name"}));
  const Json& copy = win95["commands"][2];
  EXPECT_EQ(copy.Keys(), (Keys{"run", "section", "file", "line", "number"}));
  EXPECT_EQ(copy["file"].text, "deploy.ini") << "files by name, not by index";
  EXPECT_EQ(copy["line"].number, 5);
  EXPECT_EQ(copy["number"].number, 15);
  EXPECT_EQ(win95["log"].Keys(), (Keys{"errors", "warnings", "notices"}));
  EXPECT_EQ(win95["log"]["warnings"][0]["text"].text, "WARNING: b.txt was replaced");
  EXPECT_TRUE(win95["log"]["errors"].items.empty());

  const Json& nt4 = json["profiles"][2];
  EXPECT_EQ(nt4["outcome"].text, "not-continued");
  EXPECT_EQ(nt4["outcome_text"].text, OutcomeText(Outcome::kNotContinued));
  EXPECT_EQ(nt4["commands"][4]["file"].text, "more.ini");
  EXPECT_EQ(nt4["restarts"][0].Keys(), (Keys{"after_run", "started_by", "command_line"}));
  EXPECT_EQ(nt4["log"]["errors"][0]["text"].text, "ERROR: CMD28 could not read C:\\kit\\more.ini");

  const Json& apm = json["profiles"][1];
  EXPECT_EQ(apm["power"].text, "APM");
  EXPECT_EQ(apm["boxes"][0].Keys(), (Keys{"run", "title", "text", "answer"}));
  EXPECT_EQ(apm["boxes"][0]["answer"].text, "Yes");
}

TEST(LabJsonReport, ChangeEntriesCarryOnlyTheSidesThatExist) {
  LabResult result = sample::Result();
  Changes& changes = result.profiles[0].changes;
  FileChange directory;
  directory.change = Change::kRemoved;
  directory.path = "C:\\Old";
  directory.directory = true;
  directory.old_attributes = 0x10;
  FileChange changed;
  changed.change = Change::kChanged;
  changed.path = "C:\\AUTOEXEC.BAT";
  changed.old_size = 100;
  changed.new_size = 120;
  changes.files = {changes.files[0], directory, changed};
  RegistryChange removed;
  removed.change = Change::kRemoved;
  removed.key = "HKEY_CURRENT_USER\\Software\\Velmor";
  removed.value = "@";
  removed.old_data = "\"old\"";
  changes.registry = {removed};
  changes.ini = {{Change::kChanged, "C:\\WINDOWS\\SYSTEM.INI", "boot", "shell", "progman.exe",
                  "explorer.exe", false}};

  const Json report = ParseReport(result);
  const Json& json = report["profiles"][0]["changes"];
  EXPECT_EQ(json.Keys(), (Keys{"files", "registry", "ini"}));
  EXPECT_EQ(json["files"][0].Keys(), (Keys{"change", "path", "directory", "new_size",
                                           "new_attributes", "tool_own"}));
  EXPECT_EQ(json["files"][0]["change"].text, "added");
  EXPECT_EQ(json["files"][1].Keys(), (Keys{"change", "path", "directory", "old_attributes",
                                           "tool_own"}))
      << "a directory has no size";
  EXPECT_EQ(json["files"][2].Keys(), (Keys{"change", "path", "directory", "old_size",
                                           "old_attributes", "new_size", "new_attributes",
                                           "tool_own"}));
  EXPECT_EQ(json["files"][2]["new_size"].number, 120);
  EXPECT_EQ(json["registry"][0].Keys(), (Keys{"change", "key", "value", "old"}));
  EXPECT_EQ(json["registry"][0]["old"].text, "\"old\"");
  EXPECT_EQ(json["ini"][0].Keys(), (Keys{"change", "file", "section", "key", "old", "new",
                                         "tool_own"}));

  const Json sample_report = ParseReport(sample::Result());
  const Json& key_only = sample_report["profiles"][1]["changes"]["registry"][0];
  EXPECT_EQ(key_only.Keys(), (Keys{"change", "key"})) << "a key as a whole has no value";
}

TEST(LabJsonReport, GroupsAndCoverageNameProfilesAndFiles) {
  const Json json = ParseReport(sample::Result());
  ASSERT_EQ(json["groups"].items.size(), 4u);
  EXPECT_EQ(json["groups"][1][0].text, "win98-apm");
  EXPECT_EQ(json["groups"][1][1].text, "win98-acpi");
  const Json& coverage = json["coverage"];
  EXPECT_EQ(coverage.Keys(), (Keys{"lines", "uncovered"}));
  const Json& first = coverage["lines"][0];
  EXPECT_EQ(first.Keys(), (Keys{"file", "line", "profiles"}));
  EXPECT_EQ(first["line"].number, 2);
  EXPECT_EQ(first["profiles"].items.size(), 5u);
  EXPECT_EQ(coverage["lines"].items.back()["file"].text, "more.ini");
  ASSERT_EQ(coverage["uncovered"].items.size(), 1u);
  EXPECT_EQ(coverage["uncovered"][0].Keys(), (Keys{"file", "line", "text"}));
  EXPECT_EQ(coverage["uncovered"][0]["line"].number, 22);
  EXPECT_EQ(coverage["uncovered"][0]["text"].text, "10");
}

TEST(LabJsonReport, EscapesEveryByteAJsonReaderCouldMisread) {
  LabResult result = sample::Result();
  result.profiles[0].findings = {"tab\there \"quoted\" back\\slash caf\xe9 \x01"};
  const std::string text = JsonReport(result, Analyse(result));
  for (char c : text) {
    ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << "raw byte " << static_cast<int>(c);
  }
  EXPECT_NE(text.find("caf\\u00e9"), std::string::npos);
  Json json;
  ASSERT_TRUE(JsonReader(text).Read(&json));
  EXPECT_EQ(json["profiles"][0]["findings"][0].text, result.profiles[0].findings[0]);
  EXPECT_EQ(json["coverage"]["lines"][0]["file"].text, "deploy.ini");
}

// --- the terminal

TEST(LabTerminalReport, ShowsTheTableGroupsFindingsAndLinesNoProfileRan) {
  const LabResult result = sample::Result();
  EXPECT_EQ(TerminalReport(result, Analyse(result)),
            "Profile     OS          Outcome        Sections  Errors  Warnings  Restarts  Files  Registry\n"
            "win95       win95       ended                 3       0         1         0      2         0\n"
            "win98-apm   win98 APM   ended                 4       0         0         0      0         1\n"
            "nt4         nt4         not-continued         3       1         0         1      0         0\n"
            "win98-acpi  win98 ACPI  ended                 4       0         0         0      0         1\n"
            "win2000     win2000     ended                 3       0         0         1      0         0\n"
            "\n"
            "win98-apm, win98-acpi: same outcome and changes\n"
            "\n"
            "Findings:\n"
            "  nt4: a restart was asked for, but nothing starts the tool again\n"
            "\n"
            "Lines no profile ran:\n"
            "  deploy.ini:22  10\n");
}

TEST(LabTerminalReport, KeepsToPlainAsciiAndSaysWhenEveryLineRan) {
  LabResult result;
  result.files = {{"caf\xe9.ini", "", sample::Lines({"[CommandsList]", "10"})}};
  ProfileResult profile = sample::Profile("pc\x1b[2J", "win95", "");
  sample::Ran(profile, 1, {{"CommandsList", 0, 2, 10}});
  profile.findings = {"kit deleted: C:\\kit\\caf\xe9"};
  result.profiles = {profile};
  const std::string text = TerminalReport(result, Analyse(result));
  for (char c : text) ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << text;
  EXPECT_NE(text.find("pc?[2J"), std::string::npos);
  EXPECT_NE(text.find("kit deleted: C:\\kit\\caf?"), std::string::npos);
  EXPECT_NE(text.find("Every line a run can reach ran on some profile."), std::string::npos);
  EXPECT_EQ(text.find("same outcome"), std::string::npos) << "one profile is no group";
}

// --- the page

TEST(LabHtmlReport, EscapesMarkupAndEightBitText) {
  EXPECT_EQ(Html("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
  EXPECT_EQ(Html("caf\xe9 \xa0\xff"), "caf&#233; &#160;&#255;");
  EXPECT_EQ(Html("\x80\x81\x9f"), "&#8364;&#65533;&#376;") << "the code page's 0x80..0x9F";
  EXPECT_EQ(Html("a\x01\x7f\tb"), "a&#65533;&#65533;\tb");
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(LabHtmlReport, IsOneSelfContainedPageInPlainAscii) {
  const LabResult result = sample::Result();
  const std::string page = HtmlReport(result, Analyse(result));
  for (char c : page) ASSERT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  for (const char* outside : {"http:", "https:", "<link", "<script", "<img", "@import", "url(http"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  // The script's own text, never its markup.
  EXPECT_NE(page.find("32,Start &lt;&amp;&gt; &quot;quoted&quot; caf&#233;"), std::string::npos);
  EXPECT_EQ(page.find("<tools>"), std::string::npos);
  EXPECT_EQ(Count(page, "<section class=\"group\">"), 4u);
  EXPECT_EQ(Count(page, "<svg"), 1u);
}

TEST(LabHtmlReport, TheGraphHasANodeASectionAndAnArrowEveryWayBetween) {
  const LabResult result = sample::Result();
  const std::string page = HtmlReport(result, Analyse(result));
  // 11 sections in deploy.ini, 1 in more.ini; one node for the appended file.
  EXPECT_EQ(Count(page, "<g class=\"node section"), 12u);
  EXPECT_EQ(Count(page, "<g class=\"node file\" data-name=\"more.ini\""), 1u);
  EXPECT_EQ(Count(page, "<g class=\"node missing\""), 0u);
  // One arrow each: CMD18 to W95, W98, Other (three outcomes, one arrow),
  // W95 to Ending, W98 to Yes and No, Other to more.ini and Extra, Yes to Ending.
  EXPECT_EQ(Count(page, "<g class=\"edge\">"), 9u);
  for (const char* label : {">Windows 95<", ">Windows 98<", ">answer Yes<", ">answer No<",
                            ">jump<", ">appends<", ">any other Windows, Window...<"}) {
    EXPECT_NE(page.find(label), std::string::npos) << label;
  }
  // Data sections hang off the sections whose commands read them.
  EXPECT_EQ(Count(page, "<g class=\"edge reads\">"), 3u);
  EXPECT_NE(page.find("<g class=\"node section data\" data-name=\"Files\">"), std::string::npos);
  EXPECT_NE(page.find("[RegSet]: data, read by 2 of 5 profiles"), std::string::npos);
  // Reached by every profile; by none.
  EXPECT_NE(page.find("[CommandsList]: reached by 5 of 5 profiles"), std::string::npos);
  EXPECT_NE(page.find("[No]: reached by 0 of 5 profiles"), std::string::npos);
  EXPECT_NE(page.find("more.ini: reached by 2 of 5 profiles"), std::string::npos);
}

TEST(LabHtmlReport, ANamedSectionThatIsNowhereShowsAsMissing) {
  LabResult result;
  result.files = {{"a.ini", "", sample::Lines({"[CommandsList]", "9,Maker,Gone", "28,extra.ini",
                                               "[Maker]", "10"})}};
  const std::string page = HtmlReport(result, Analyse(result));
  EXPECT_EQ(Count(page, "<g class=\"node missing\""), 2u) << page;
  EXPECT_NE(page.find("data-name=\"Gone\""), std::string::npos);
  EXPECT_NE(page.find("data-name=\"extra.ini\""), std::string::npos);
}

TEST(LabHtmlReport, MarksEachLineWithHowManyProfilesRanIt) {
  const LabResult result = sample::Result();
  const std::string page = HtmlReport(result, Analyse(result));
  EXPECT_NE(page.find("<tr class=\"c0\" title=\"ran on no profile\"><td class=\"n\">22</td>"
                      "<td class=\"c\">never</td><td>10</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr class=\"c4\" title=\"ran on win95, win98-apm, nt4, win98-acpi, "
                      "win2000\"><td class=\"n\">2</td><td class=\"c\">5</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td class=\"n\">29</td><td class=\"c\"></td>"), std::string::npos)
      << "a line no run can reach has no count";
}

TEST(LabReports, AResultWithNoScriptOrProfileStillMakesEveryForm) {
  LabResult empty;
  empty.script = "/kit/missing.ini";
  const LabAnalysis analysis = Analyse(empty);
  EXPECT_TRUE(analysis.groups.empty());
  EXPECT_TRUE(analysis.lines.empty());
  Json json;
  EXPECT_TRUE(JsonReader(JsonReport(empty, analysis)).Read(&json));
  EXPECT_EQ(TerminalReport(empty, analysis),
            "Profile  OS  Outcome  Sections  Errors  Warnings  Restarts  Files  Registry\n\n"
            "Every line a run can reach ran on some profile.\n");
  EXPECT_NE(HtmlReport(empty, analysis).find("</html>"), std::string::npos);
}

}  // namespace
}  // namespace velsetup::lab
