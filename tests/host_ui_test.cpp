#include "platform/host/processes/host_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "host_test_support.h"

namespace velsetup::host {
namespace {

using testing::ReadHostFile;
using testing::ScratchDir;

class HostUiTest : public ::testing::Test {
 protected:
  HostUi Ui(const std::string& answers, std::FILE* terminal = nullptr) {
    return HostUi(events_, last_error_, SplitAnswers(answers), terminal, quiet_);
  }
  void TearDown() override { std::fclose(quiet_); }

  ScratchDir dir_;
  EventLog events_{dir_ / "events.jsonl"};
  LastError last_error_;
  std::FILE* quiet_ = std::fopen("/dev/null", "w");
};

TEST_F(HostUiTest, TakesTheGivenAnswersInOrderOnePerBox) {
  HostUi ui = Ui(" yes , No,Nope,,Retry");
  EXPECT_EQ(ui.MessageBoxA("q1", "t", message_box::kYesNo), message_box::kIdYes);
  EXPECT_EQ(ui.MessageBoxA("q2", "t", message_box::kYesNoCancel), message_box::kIdNo);
  // Not a button of this box: used up all the same, the first button answers.
  EXPECT_EQ(ui.MessageBoxA("q3", "t", message_box::kOkCancel), message_box::kIdOk);
  EXPECT_EQ(ui.MessageBoxA("q4", "t", message_box::kYesNo), message_box::kIdYes);
  EXPECT_EQ(ui.MessageBoxA("q5", "t", 0x2), 4);  // Abort, Retry, Ignore
  // None left and no terminal: the first button.
  EXPECT_EQ(ui.MessageBoxA("q6", "t", 0x5), 4);  // Retry, Cancel
  EXPECT_EQ(ui.MessageBoxA("q7", "t", 0x7), 0);  // no such style
  EXPECT_EQ(last_error_.code, 1438u);

  const std::string log = ReadHostFile(events_.path());
  EXPECT_NE(log.find("\"text\":\"q2\",\"style\":3,\"answer\":\"No\"}\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\"answer\":\"OK\",\"ignored_answer\":\"Nope\"}\n"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6);
}

TEST_F(HostUiTest, AsksTheTerminalWhenTheListIsUsedUp) {
  char input[] = "maybe\nno\n\n2\n";
  std::FILE* terminal = ::fmemopen(input, sizeof input - 1, "r");
  HostUi ui = Ui("Cancel", terminal);
  EXPECT_EQ(ui.MessageBoxA("q", "t", message_box::kYesNoCancel), message_box::kIdCancel);
  EXPECT_EQ(ui.MessageBoxA("q", "t", message_box::kYesNo), message_box::kIdNo);  // after "maybe"
  EXPECT_EQ(ui.MessageBoxA("q", "t", message_box::kYesNo), message_box::kIdYes);  // empty line
  EXPECT_EQ(ui.MessageBoxA("q", "t", message_box::kOkCancel), message_box::kIdCancel);
  EXPECT_EQ(ui.MessageBoxA("q", "t", message_box::kOkCancel), message_box::kIdOk);  // end of input
  std::fclose(terminal);
}

TEST_F(HostUiTest, EventsAreValidJsonWhateverTheText) {
  HostUi ui = Ui("");
  ui.MessageBoxA("say \"hi\"\\\r\n\tend\x01 caf\xe9\x7f", nullptr, 0x1010);
  EXPECT_EQ(ReadHostFile(events_.path()),
            "{\"event\":\"messagebox\",\"title\":\"Error\",\"text\":"
            "\"say \\\"hi\\\"\\\\\\r\\n\\tend\\u0001 caf\\u00e9\\u007f\",\"style\":4112,"
            "\"answer\":\"OK\"}\n");
  EXPECT_TRUE(events_.Append("{\"event\":\"restart\",\"flags\":2}"));
  EXPECT_NE(ReadHostFile(events_.path()).find("}\n{\"event\":\"restart\",\"flags\":2}\n"),
            std::string::npos);
}

}  // namespace
}  // namespace velsetup::host
