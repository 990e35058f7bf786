// A table of private-profile calls, each on a fresh file, that the Windows
// probe runs against the real calls and the host test against the simulated
// machine's engine. Shared by both compilers: plain C++17, no dependencies.
//
// A case whose `windows` field is set is one where Wine is known to answer
// otherwise than Windows does: the host engine must give that answer, and
// Wine's is reported, not compared. The known differences:
// - A cut list (section or key names) ends in two zeros on Windows NT,
//   "section1\0secti\0\0" in a 16-byte buffer; Wine writes one. A list cut
//   to nothing in a 2-byte buffer follows the same rule.
// - Deleting a key or a section of a missing file leaves an empty file on
//   Windows; Wine makes none.
// - The flush call (three nulls) succeeds on Windows; Wine returns FALSE.
// - Windows changes the lines a write concerns and keeps every other byte of
//   the file (line ends, blank lines, indentation, text before the first
//   section); Wine writes the whole file anew in its own form.
// - Windows writes a value as given, leading blanks included; Wine drops them.
// - A header without ']' opens its section on Windows, and a name ends at the
//   first ']'; Wine takes such a line for no header, and cuts at the last ']'.
// - A key added to a section goes after its last key line on Windows, ahead
//   of the comments and blank lines (and a trailing NUL) that end it; Wine
//   adds it after them.
// The facts come from the records of real Windows results in Wine's own
// conformance tests of these calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace profile_cases {

enum class Call { kGetString, kGetInt, kGetSection, kWriteString, kWriteSection };

struct Case {
  const char* name;
  const char* fixture;  // the file before the call; null: no file
  Call call;
  const char* section;
  const char* key;
  const char* text;    // default (reads), value (writes), data (section write, '|' = zero)
  int number;          // buffer size (string and section reads), default (GetInt)
  const char* windows; // null, or the result Windows gives where Wine differs
};

constexpr const char* kPlain =
    "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
constexpr const char* kSpacing =
    "  [ Spaced ]  \r\n  key one  =   value one   \r\nK2=  'quoted'  \r\nk3=\"unbalanced\r\n"
    "k4='x\"\r\nk5=\"\"\r\nk6=\"\r\neq=a=b=c\r\nempty=\r\n;comment=no\r\n  ; note\r\n";
constexpr const char* kDuplicates =
    "[dup]\r\nk=first\r\nk=second\r\n[other]\r\nz=1\r\n[DUP]\r\nk=third\r\nonly=later\r\n";
constexpr const char* kNoFinalEnd = "[a]\r\nx=1\r\n[b]\r\ny=2";
constexpr const char* kInts =
    "[n]\r\nplain=42\r\nneg=-17\r\nplus=+5\r\nhex=0x1F\r\nHEX=0XfF\r\nspace=  12  \r\njunk=42abc\r\n"
    "letters=abc\r\nempty=\r\nwrap=4294967297\r\nquoted=\"77\"\r\noct=0o17\r\nbin=0b101\r\n"
    "huge=99999999999999999999\r\nlong=0000000000000000000000000000000000001\r\n";
constexpr const char* kBlankLines =
    "[one]\r\na=1\r\n\r\n\r\n[two]\r\nb=2\r\n\r\n";
constexpr const char* kCommentsAndJunk =
    "junk before\r\n; top comment\r\n[s]\r\n; inside\r\nk=v\r\nbare line\r\n\r\n[t]\r\nq=r\r\n";
constexpr const char* kLf = "[a]\nx=1\n\n[b]\ny=2\n";
constexpr const char* kCrOnly = "[a]\rx=1\ry=2\r";
constexpr const char* kOpenHeader = "[a]\r\nx=1\r\n[DATA   \r\nk=v\r\n[Variables]tail]\r\nV1=one\r\n";
constexpr const char* kTrailingComment =
    "[one]\r\na=1\r\n; end of one\r\n\r\n[two]\r\nb=2\r\n";
constexpr const char* kNumericNames = "[42nd]\r\n7up=1\r\n";
// '\x7f' stands for a NUL byte (FixtureBytes): a NUL after the last line end.
constexpr const char* kTrailingNul = "[s]\r\na=1\r\n\x7f";

// The long value: 1,200 characters.
inline const char* LongFixture() {
  static std::string text;
  if (text.empty()) {
    text = "[long]\r\nvalue=";
    for (int i = 0; i < 1200; ++i) text += static_cast<char>('a' + i % 26);
    text += "\r\nnext=ok\r\n";
  }
  return text.c_str();
}

inline const Case* Cases(size_t* count) {
  using C = Call;
  static const Case cases[] = {
      // Reading values.
      {"plain value", kPlain, C::kGetString, "section1", "name1", "def", 260, nullptr},
      {"case-blind names", kPlain, C::kGetString, "SECTION1", "NaMe1", "def", 260, nullptr},
      {"quotes removed", kPlain, C::kGetString, "section1", "name2", "def", 260, nullptr},
      {"bare name gives default", kPlain, C::kGetString, "section1", "name3", "def", 260, nullptr},
      {"one-letter value", kPlain, C::kGetString, "section1", "name4", "def", 260, nullptr},
      {"missing key", kPlain, C::kGetString, "section1", "nokey", "def", 260, nullptr},
      {"missing section", kPlain, C::kGetString, "nosection", "name1", "def", 260, nullptr},
      {"missing file", nullptr, C::kGetString, "section1", "name1", "def", 260, nullptr},
      {"null default", kPlain, C::kGetString, "section1", "nokey", nullptr, 260, nullptr},
      {"default trailing blanks", kPlain, C::kGetString, "section1", "nokey", "one two  ", 260, nullptr},
      {"default leading blanks", kPlain, C::kGetString, "section1", "nokey", "  lead", 260, nullptr},
      {"empty section key", kPlain, C::kGetString, "section2", "x", "", 260, nullptr},
      {"size exact", kPlain, C::kGetString, "section1", "name1", "def", 4, nullptr},
      {"size with terminator", kPlain, C::kGetString, "section1", "name1", "def", 5, nullptr},
      {"size one", kPlain, C::kGetString, "section1", "name1", "def", 1, nullptr},
      {"size two", kPlain, C::kGetString, "section1", "name1", "def", 2, nullptr},
      {"default cut", kPlain, C::kGetString, "section1", "nokey", "default", 4, nullptr},
      {"spaced header and key", kSpacing, C::kGetString, "Spaced", "key one", "def", 260, nullptr},
      {"caller's blanks trimmed", kSpacing, C::kGetString, " spaced ", " KEY ONE ", "def", 260, nullptr},
      {"single quotes", kSpacing, C::kGetString, "spaced", "k2", "def", 260, nullptr},
      {"unbalanced quote kept", kSpacing, C::kGetString, "spaced", "k3", "def", 260, nullptr},
      {"mixed quotes kept", kSpacing, C::kGetString, "spaced", "k4", "def", 260, nullptr},
      {"empty quotes", kSpacing, C::kGetString, "spaced", "k5", "def", 260, nullptr},
      {"lone quote", kSpacing, C::kGetString, "spaced", "k6", "def", 260, nullptr},
      {"equals in value", kSpacing, C::kGetString, "spaced", "eq", "def", 260, nullptr},
      {"empty value", kSpacing, C::kGetString, "spaced", "empty", "def", 260, nullptr},
      {"first duplicate key", kDuplicates, C::kGetString, "dup", "k", "def", 260, nullptr},
      {"key of a later duplicate section", kDuplicates, C::kGetString, "dup", "only", "def", 260, nullptr},
      {"no final line end", kNoFinalEnd, C::kGetString, "b", "y", "def", 260, nullptr},
      {"LF lines", kLf, C::kGetString, "b", "y", "def", 260, nullptr},
      {"CR-only lines", kCrOnly, C::kGetString, "a", "y", "def", 260, nullptr},
      {"long value whole", LongFixture(), C::kGetString, "long", "value", "def", 2000, nullptr},
      {"long value cut", LongFixture(), C::kGetString, "long", "value", "def", 512, nullptr},
      {"key after long line", LongFixture(), C::kGetString, "long", "next", "def", 260, nullptr},
      {"junk before first section", kCommentsAndJunk, C::kGetString, "s", "k", "def", 260, nullptr},
      // Enumerations.
      {"section names", kPlain, C::kGetString, nullptr, "ignored", "def", 260, nullptr},
      {"section names cut", kPlain, C::kGetString, nullptr, nullptr, "def", 16, "R14|B73656374696f6e310073656374690000"},
      {"section names size 2", kPlain, C::kGetString, nullptr, nullptr, "def", 2, "R0|B0000"},
      {"section names missing file", nullptr, C::kGetString, nullptr, nullptr, "def", 10, nullptr},
      {"key names", kPlain, C::kGetString, "section1", nullptr, "def", 260, nullptr},
      {"key names cut", kPlain, C::kGetString, "section1", nullptr, "def", 16, "R14|B6e616d6531006e616d6532006e610000"},
      {"key names of duplicates", kDuplicates, C::kGetString, "dup", nullptr, "def", 260, nullptr},
      {"key names skip comments", kCommentsAndJunk, C::kGetString, "s", nullptr, "def", 260, nullptr},
      {"section read", kPlain, C::kGetSection, "section1", nullptr, nullptr, 260, nullptr},
      {"section read cut", kPlain, C::kGetSection, "section1", nullptr, nullptr, 24, nullptr},
      {"section read spacing", kSpacing, C::kGetSection, "spaced", nullptr, nullptr, 400, nullptr},
      {"section read empty", kPlain, C::kGetSection, "section2", nullptr, nullptr, 260, nullptr},
      {"section read comments", kCommentsAndJunk, C::kGetSection, "s", nullptr, nullptr, 260, nullptr},
      {"section read missing", kPlain, C::kGetSection, "none", nullptr, nullptr, 260, nullptr},
      // Integers.
      {"int plain", kInts, C::kGetInt, "n", "plain", nullptr, 7, nullptr},
      {"int negative", kInts, C::kGetInt, "n", "neg", nullptr, 7, nullptr},
      {"int plus", kInts, C::kGetInt, "n", "plus", nullptr, 7, nullptr},
      {"int hex", kInts, C::kGetInt, "n", "hex", nullptr, 7, nullptr},
      {"int HEX", kInts, C::kGetInt, "n", "HEX", nullptr, 7, nullptr},
      {"int blanks", kInts, C::kGetInt, "n", "space", nullptr, 7, nullptr},
      {"int trailing junk", kInts, C::kGetInt, "n", "junk", nullptr, 7, nullptr},
      {"int letters", kInts, C::kGetInt, "n", "letters", nullptr, 7, nullptr},
      {"int empty", kInts, C::kGetInt, "n", "empty", nullptr, 7, nullptr},
      {"int wraps", kInts, C::kGetInt, "n", "wrap", nullptr, 7, nullptr},
      {"int quoted", kInts, C::kGetInt, "n", "quoted", nullptr, 7, nullptr},
      {"int octal", kInts, C::kGetInt, "n", "oct", nullptr, 7, nullptr},
      {"int binary", kInts, C::kGetInt, "n", "bin", nullptr, 7, nullptr},
      {"int huge", kInts, C::kGetInt, "n", "huge", nullptr, 7, nullptr},
      {"int missing", kInts, C::kGetInt, "n", "none", nullptr, -3, nullptr},
      {"int missing file", nullptr, C::kGetInt, "n", "plain", nullptr, 9, nullptr},
      // Writes.
      {"replace value", kPlain, C::kWriteString, "section1", "name1", "new", 0, nullptr},
      {"replace keeps file's key spelling", kPlain, C::kWriteString, "SECTION1", "NAME4", "b", 0, nullptr},
      {"value with blanks kept", kPlain, C::kWriteString, "section1", "name1", "  padded  ", 0, "R1|F5b73656374696f6e315d0d0a6e616d65313d202070616464656420200d0a6e616d65323d2276616c32220d0a6e616d65330d0a6e616d65343d610d0a5b73656374696f6e325d0d0a"},
      {"add key to section", kPlain, C::kWriteString, "section1", "name5", "v5", 0, nullptr},
      {"add key to last section", kPlain, C::kWriteString, "section2", "k", "v", 0, nullptr},
      {"add section", kPlain, C::kWriteString, "section3", "k", "v", 0, nullptr},
      {"empty value", kPlain, C::kWriteString, "section1", "name1", "", 0, nullptr},
      {"delete key", kPlain, C::kWriteString, "section1", "name2", nullptr, 0, nullptr},
      {"delete missing key", kPlain, C::kWriteString, "section1", "nokey", nullptr, 0, nullptr},
      {"delete section", kPlain, C::kWriteString, "section1", nullptr, nullptr, 0, nullptr},
      {"delete duplicate sections", kDuplicates, C::kWriteString, "dup", nullptr, nullptr, 0, nullptr},
      {"replace first duplicate", kDuplicates, C::kWriteString, "dup", "k", "new", 0, nullptr},
      {"create file", nullptr, C::kWriteString, "App", "key", "string", 0, nullptr},
      {"delete key creates empty file", nullptr, C::kWriteString, "App", "key", nullptr, 0, "R1|F"},
      {"delete section creates empty file", nullptr, C::kWriteString, "App", nullptr, "x", 0, "R1|F"},
      {"null section", kPlain, C::kWriteString, nullptr, "k", "v", 0, nullptr},
      {"flush", kPlain, C::kWriteString, nullptr, nullptr, nullptr, 0,
       "R1|F5b73656374696f6e315d0d0a6e616d65313d76616c310d0a6e616d65323d2276616c32220d0a6e616d65330d0a6e616d65343d610d0a5b73656374696f6e325d0d0a"},
      {"add key with no final line end", kNoFinalEnd, C::kWriteString, "b", "z", "3", 0, nullptr},
      {"add section with no final line end", kNoFinalEnd, C::kWriteString, "c", "z", "3", 0, nullptr},
      {"add key before blank lines", kBlankLines, C::kWriteString, "one", "c", "3", 0,
       "R1|F5b6f6e655d0d0a613d310d0a633d330d0a0d0a0d0a5b74776f5d0d0a623d320d0a0d0a"},
      {"blank lines and comments kept", kCommentsAndJunk, C::kWriteString, "t", "q", "s", 0,
       "R1|F6a756e6b206265666f72650d0a3b20746f7020636f6d6d656e740d0a5b735d0d0a3b20696e736964650d0a6b3d760d0a62617265206c696e650d0a0d0a5b745d0d0a713d730d0a"},
      {"LF lines kept", kLf, C::kWriteString, "a", "x", "2", 0, "R1|F5b615d0a783d320a0a5b625d0a793d320a"},
      {"spaced line rewritten", kSpacing, C::kWriteString, "spaced", "key one", "v", 0,
       "R1|F20205b20537061636564205d20200d0a6b6579206f6e653d760d0a4b323d20202771756f7465642720200d0a6b333d22756e62616c616e6365640d0a6b343d2778220d0a6b353d22220d0a6b363d220d0a65713d613d623d630d0a656d7074793d0d0a3b636f6d6d656e743d6e6f0d0a20203b206e6f74650d0a"},
      {"section write replaces", kPlain, C::kWriteSection, "section1", nullptr, "a=1|b=2", 0, nullptr},
      {"section write adds", kPlain, C::kWriteSection, "new", nullptr, "a=1", 0, nullptr},
      // Section headers, the NUL byte, where a new key goes, what a write keeps.
      {"header without its bracket", kOpenHeader, C::kGetString, "DATA", "k", "def", 260, "R1|B7600"},
      {"name ends at the first bracket", kOpenHeader, C::kGetString, "Variables", "V1", "def", 260, "R3|B6f6e6500"},
      {"section names of odd headers", kOpenHeader, C::kGetString, nullptr, nullptr, "def", 260, "R17|B610044415441005661726961626c65730000cc"},
      {"section read before a NUL", kTrailingNul, C::kGetSection, "s", nullptr, nullptr, 260, nullptr},
      {"add key before a NUL", kTrailingNul, C::kWriteString, "s", "b", "2", 0, "R1|F5b735d0d0a613d310d0a623d320d0a00"},
      {"add key before a closing comment", kTrailingComment, C::kWriteString, "one", "c", "3", 0, "R1|F5b6f6e655d0d0a613d310d0a633d330d0a3b20656e64206f66206f6e650d0a0d0a5b74776f5d0d0a623d320d0a"},
      {"replace last line with no final line end", kNoFinalEnd, C::kWriteString, "b", "y", "5", 0, nullptr},
      {"value stored as given", kPlain, C::kWriteString, "section1", "name1", "  lead ; no comment  ", 0, "R1|F5b73656374696f6e315d0d0a6e616d65313d20206c656164203b206e6f20636f6d6d656e7420200d0a6e616d65323d2276616c32220d0a6e616d65330d0a6e616d65343d610d0a5b73656374696f6e325d0d0a"},
      {"int of the section names", kNumericNames, C::kGetInt, nullptr, "7up", nullptr, -3, nullptr},
      {"int of the key names", kNumericNames, C::kGetInt, "42nd", nullptr, nullptr, -3, nullptr},
      {"int of the names of a missing file", nullptr, C::kGetInt, nullptr, nullptr, nullptr, -3, nullptr},
  };
  *count = sizeof cases / sizeof cases[0];
  return cases;
}

// The bytes of a fixture: '\x7f' stands for a NUL byte.
inline std::string FixtureBytes(const char* fixture) {
  std::string bytes = fixture;
  for (char& c : bytes) {
    if (c == '\x7f') c = '\0';
  }
  return bytes;
}

// Section-write data: '|' stands for the zero between strings.
inline std::string SectionData(const char* text) {
  std::string data = text == nullptr ? "" : text;
  for (char& c : data) {
    if (c == '|') c = '\0';
  }
  data.push_back('\0');
  data.push_back('\0');
  return data;
}

inline std::string Hex(const std::string& bytes) {
  std::string hex;
  char two[3];
  for (unsigned char c : bytes) {
    std::snprintf(two, sizeof two, "%02x", c);
    hex += two;
  }
  return hex;
}

// How much of the buffer a call's result covers: the value and its zero; a
// list and its two zeros (within the buffer).
inline size_t ResultBytes(const Case& c, uint32_t returned) {
  const bool list = c.call == Call::kGetSection ||
                    (c.call == Call::kGetString && (c.section == nullptr || c.key == nullptr));
  size_t bytes = returned + (list ? 2u : 1u);
  if (c.number > 0 && bytes > static_cast<size_t>(c.number)) bytes = static_cast<size_t>(c.number);
  return bytes;
}

// One result line: "R<returned>|B<buffer hex>" for reads, "R<returned>|F<file
// hex>" for writes ("F" alone: no file... "F-" ).
inline std::string ResultLine(const Case& c, uint32_t returned, const std::string& buffer,
                              bool file_exists, const std::string& file) {
  std::string line = "R" + std::to_string(returned) + "|";
  if (c.call == Call::kWriteString || c.call == Call::kWriteSection) {
    line += file_exists ? "F" + Hex(file) : "F-";
  } else if (c.call != Call::kGetInt) {
    line += "B" + Hex(buffer.substr(0, ResultBytes(c, returned)));
  }
  return line;
}

}  // namespace profile_cases
