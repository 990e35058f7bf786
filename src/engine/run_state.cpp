#include "engine/run_state.h"

namespace velsetup {

namespace {
RunState& Storage() {
  static RunState state;
  return state;
}
}  // namespace

RunState& Run() { return Storage(); }

void StartRun(const Platform& platform) {
  Storage() = RunState{};
  Storage().platform = platform;
}

}  // namespace velsetup
