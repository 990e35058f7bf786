#include "host_main/run_trace.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/host/machine/events.h"

namespace velsetup::host_main {

using host::JsonString;

RunTrace::~RunTrace() {
  if (file_ != nullptr) std::fclose(file_);
}

std::FILE* RunTrace::OpenFromEnvironment(std::string* error) {
  const char* path = std::getenv("VELSETUP_TRACE");
  if (path == nullptr || *path == '\0') return nullptr;
  std::FILE* file = std::fopen(path, "ab");
  if (file == nullptr && error != nullptr) {
    *error = std::string("cannot open the trace ") + path + ": " + std::strerror(errno);
  }
  return file;
}

// Each object is flushed at once: a run stopped by its time limit is killed,
// and what it did up to then is what its watcher most wants to see.
void RunTrace::Write(const std::string& object) {
  if (file_ == nullptr) return;
  std::fwrite(object.data(), 1, object.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void RunTrace::CommandStarting(int32_t slot, uint32_t number, const std::string& section) {
  Write("{\"event\":\"command\",\"slot\":" + std::to_string(slot) +
        ",\"number\":" + std::to_string(number) + ",\"section\":" + JsonString(section) + "}");
  next_.CommandStarting(slot, number, section);
}

void RunTrace::LineLogged(std::string_view prefix, std::string_view message) {
  Write("{\"event\":\"log\",\"prefix\":" + JsonString(std::string(prefix)) +
        ",\"message\":" + JsonString(std::string(message)) + "}");
  next_.LineLogged(prefix, message);
}

void RunTrace::StartupFailed() { next_.StartupFailed(); }

void RunTrace::SectionStarted(const std::string& section, int32_t first_slot) {
  Write("{\"event\":\"section\",\"section\":" + JsonString(section) +
        ",\"first_slot\":" + std::to_string(first_slot) + "}");
  next_.SectionStarted(section, first_slot);
}

void RunTrace::End(bool restart_asked, bool startup_failed) {
  Write(std::string("{\"event\":\"end\",\"restart_asked\":") + (restart_asked ? "true" : "false") +
        ",\"startup_failed\":" + (startup_failed ? "true" : "false") + "}");
}

}  // namespace velsetup::host_main
