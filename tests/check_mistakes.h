// The checker's cases: each mistake it knows, shown by a script that makes it
// and by the same script written right, which must come out clean. Each
// pass's test file holds the mistakes that pass finds.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "check/script_checker.h"

namespace velsetup::check::testing {

// The findings of a script, one a line: "line: error: message".
inline std::string Findings(const std::string& script) {
  std::string out;
  for (const Diagnostic& d : CheckScript(script).Sorted()) {
    out += std::to_string(d.line) + (d.severity == Severity::kError ? ": error: " : ": warning: ") +
           d.message + "\n";
  }
  return out;
}

struct Mistake {
  const char* name;
  const char* wrong;
  const char* expected;  // "line: error: " or "line: warning: " and a part of the message
  const char* right;
};

class CheckMistakeTest : public ::testing::TestWithParam<Mistake> {};

inline std::string MistakeName(const ::testing::TestParamInfo<Mistake>& info) {
  std::string name;
  for (const char* c = info.param.name; *c != '\0'; ++c) {
    name +=
        (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ? *c : '_';
  }
  return name;
}

}  // namespace velsetup::check::testing
