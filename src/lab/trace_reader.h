// Reading what a run of the host program leaves: its trace (VELSETUP_TRACE)
// and the new lines of the machine's events.jsonl. Both are flat JSON
// objects, one a line, written by the host program itself; a line that does
// not parse (the last one of a killed run may be cut) is skipped.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velsetup::lab {

// One flat object: names and values in order. A string value is decoded
// (\u00XX back to its byte); a number, true, false or null is its text.
class JsonLine {
 public:
  static std::optional<JsonLine> Parse(const std::string& line);
  std::string Get(const std::string& name) const;  // empty when absent
  bool Has(const std::string& name) const;
  long Number(const std::string& name) const { return std::strtol(Get(name).c_str(), nullptr, 10); }
  bool True(const std::string& name) const { return Get(name) == "true"; }

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

// The objects of the lines of `path` from byte `*offset` on, which is moved
// past the last whole line read. A missing file gives none.
std::vector<JsonLine> ReadJsonLines(const std::string& path, uint64_t* offset);

}  // namespace velsetup::lab
