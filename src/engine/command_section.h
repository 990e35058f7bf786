// Turning a command section into the numbered slots of [Commands].
#pragma once

namespace velsetup {

enum class SectionStart {
  kFailed,     // the section to start is missing or empty
  kContinued,  // the current section goes on; [Commands] was not touched
  kStarted,    // a section was expanded into the slots
};

// Starts [CommandsList] on a first start, or the section [State] NextSection
// names, expanding its lines into slots from the current command index on;
// otherwise continues the current section.
SectionStart InitCommandSection();

// Finishes a section start that a killed process left half written, before
// a start of the tool reads its run state.
void CompleteInterruptedStart();

}  // namespace velsetup
