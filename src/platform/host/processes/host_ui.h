// UiApi of the simulated machine: nobody sees a box, yet each one gets the
// answer a user would give and is written to events.jsonl with it.
//
// Answers, in this order of precedence:
//  1. the next name of VELSETUP_ANSWERS ("Yes,No,OK": one per box, in order,
//     case-blind; OK, Cancel, Yes, No, Abort, Retry, Ignore, TryAgain,
//     Continue). A name the box has no button for is still used up, so the
//     names after it stay with the boxes they were meant for; the box then
//     gets its first button, a warning goes to the terminal and the event
//     records the name as "ignored_answer". An empty name (",,") takes the
//     first button.
//  2. the terminal, when standard input is one: the box is shown on standard
//     error and a button name (or its number) is read; an empty line or the
//     end of input takes the first button.
//  3. the box's first button.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/host/machine/events.h"
#include "platform/host/machine/last_error.h"
#include "platform/platform.h"

namespace velsetup::host {

struct MessageBoxButton {
  const char* name;
  int id;  // what MessageBoxA returns for it
};

// The buttons of a MessageBoxA style, first button first; empty for a style
// Windows refuses.
std::vector<MessageBoxButton> ButtonsOf(uint32_t style);

// VELSETUP_ANSWERS split at its commas, each name trimmed.
std::vector<std::string> SplitAnswers(const std::string& text);

class HostUi : public UiApi {
 public:
  // `terminal_in` null: no terminal to ask.
  HostUi(EventLog& events, LastError& last_error, std::vector<std::string> answers,
         std::FILE* terminal_in, std::FILE* terminal_out)
      : events_(events),
        last_error_(last_error),
        answers_(std::move(answers)),
        terminal_in_(terminal_in),
        terminal_out_(terminal_out) {}

  int MessageBoxA(const char* text, const char* caption, uint32_t style) override;

 private:
  MessageBoxButton AskTerminal(const std::string& title, const std::string& text,
                               const std::vector<MessageBoxButton>& buttons);

  EventLog& events_;
  LastError& last_error_;
  std::vector<std::string> answers_;
  size_t next_answer_ = 0;
  std::FILE* terminal_in_;
  std::FILE* terminal_out_;
};

}  // namespace velsetup::host
