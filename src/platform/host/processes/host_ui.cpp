#include "platform/host/processes/host_ui.h"

#include "platform/host/files/windows_path.h"

namespace velsetup::host {

namespace {

constexpr MessageBoxButton kOk{"OK", message_box::kIdOk};
constexpr MessageBoxButton kCancel{"Cancel", message_box::kIdCancel};
constexpr MessageBoxButton kAbort{"Abort", 3};
constexpr MessageBoxButton kRetry{"Retry", 4};
constexpr MessageBoxButton kIgnore{"Ignore", 5};
constexpr MessageBoxButton kYes{"Yes", message_box::kIdYes};
constexpr MessageBoxButton kNo{"No", message_box::kIdNo};
constexpr MessageBoxButton kTryAgain{"TryAgain", 10};
constexpr MessageBoxButton kContinue{"Continue", 11};

// ERROR_INVALID_MSGBOX_STYLE
constexpr uint32_t kInvalidMessageBoxStyle = 1438;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

const MessageBoxButton* Match(const std::vector<MessageBoxButton>& buttons,
                              const std::string& name) {
  for (const MessageBoxButton& button : buttons) {
    if (EqualsCaseBlind(button.name, name)) return &button;
  }
  return nullptr;
}

}  // namespace

std::vector<MessageBoxButton> ButtonsOf(uint32_t style) {
  switch (style & 0xF) {
    case 0: return {kOk};
    case 1: return {kOk, kCancel};
    case 2: return {kAbort, kRetry, kIgnore};
    case 3: return {kYes, kNo, kCancel};
    case 4: return {kYes, kNo};
    case 5: return {kRetry, kCancel};
    case 6: return {kCancel, kTryAgain, kContinue};
    default: return {};
  }
}

std::vector<std::string> SplitAnswers(const std::string& text) {
  std::vector<std::string> answers;
  if (Trimmed(text).empty()) return answers;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    answers.push_back(Trimmed(text.substr(start, comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return answers;
}

int HostUi::MessageBoxA(const char* text, const char* caption, uint32_t style) {
  const std::vector<MessageBoxButton> buttons = ButtonsOf(style);
  if (buttons.empty()) {
    last_error_.code = kInvalidMessageBoxStyle;
    return 0;
  }
  // A box without a caption is titled "Error" on Windows.
  const std::string title = caption != nullptr ? caption : "Error";
  const std::string body = text != nullptr ? text : "";

  MessageBoxButton answer = buttons.front();
  std::string ignored;
  if (next_answer_ < answers_.size()) {
    const std::string& name = answers_[next_answer_++];
    if (const MessageBoxButton* match = Match(buttons, name)) {
      answer = *match;
    } else if (!name.empty()) {
      ignored = name;
      if (terminal_out_ != nullptr) {
        std::fprintf(terminal_out_,
                     "velsetup: VELSETUP_ANSWERS gives \"%s\" to the box \"%s\", which has no "
                     "such button; answering %s\n",
                     name.c_str(), title.c_str(), answer.name);
      }
    }
  } else if (terminal_in_ != nullptr) {
    answer = AskTerminal(title, body, buttons);
  }

  std::string event = "{\"event\":\"messagebox\",\"title\":" + JsonString(title) +
                      ",\"text\":" + JsonString(body) + ",\"style\":" + std::to_string(style) +
                      ",\"answer\":" + JsonString(answer.name);
  if (!ignored.empty()) event += ",\"ignored_answer\":" + JsonString(ignored);
  events_.Append(event + "}");
  return answer.id;
}

MessageBoxButton HostUi::AskTerminal(const std::string& title, const std::string& text,
                                     const std::vector<MessageBoxButton>& buttons) {
  std::FILE* out = terminal_out_ != nullptr ? terminal_out_ : stderr;
  std::fprintf(out, "\n=== %s ===\n%s\n", title.c_str(), text.c_str());
  for (;;) {
    for (size_t i = 0; i < buttons.size(); ++i) {
      std::fprintf(out, "%s%zu=%s", i == 0 ? "" : "  ", i + 1, buttons[i].name);
    }
    std::fprintf(out, "  [%s]? ", buttons.front().name);
    std::fflush(out);
    std::string line;
    int c;
    while ((c = std::fgetc(terminal_in_)) != EOF && c != '\n') line += static_cast<char>(c);
    const std::string reply = Trimmed(line);
    if (reply.empty()) return buttons.front();
    if (const MessageBoxButton* match = Match(buttons, reply)) return *match;
    if (reply.size() == 1 && reply[0] >= '1' &&
        static_cast<size_t>(reply[0] - '0') <= buttons.size()) {
      return buttons[static_cast<size_t>(reply[0] - '1')];
    }
    if (c == EOF) return buttons.front();
  }
}

}  // namespace velsetup::host
