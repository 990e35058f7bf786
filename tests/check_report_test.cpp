#include "check/report.h"

#include <gtest/gtest.h>

namespace velsetup::check {
namespace {

// Scripts are in the machine's code page; the JSON and SARIF reports must
// stay valid UTF-8 and valid JSON whatever bytes a message quotes.
TEST(CheckReportTest, JsonStringsStayValidWhateverBytesTheScriptHolds) {
  EXPECT_EQ(JsonString("C:\\a \"b\"\t\x01"), "\"C:\\\\a \\\"b\\\"\\u0009\\u0001\"");
  EXPECT_EQ(JsonString("Gr\xFC\xDF" "e"),
            "\"Gr\xC3\xBC\xC3\x9F"
            "e\"");
}

}  // namespace
}  // namespace velsetup::check
