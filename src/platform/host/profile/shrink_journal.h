// The crash journal of profile files that shrink.
//
// A file that shrinks is written in two steps, its new tail and then the
// truncation, and a process killed between them would leave the old file's
// last bytes behind the new end. So the two steps are first recorded beside
// it, in "<file>:journal" (the ":" keeps it out of the tool's reach), in one
// write: the file they apply to, its size before, the offset, the new size
// and the tail. Whoever opens the file next finds a record still marked
// valid and finishes the steps, which give the same bytes however far they
// had come. The journal is kept open and reused, so a shrink costs no new
// file; it is removed with the store that wrote it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/host/posix/posix_io.h"

namespace velsetup::host::shrink_journal {

// The file a record applies to and the two steps it records.
struct Shrink {
  dev_t device;
  ino_t inode;
  uint64_t size_before, offset, size_after;
};

// Records `shrink` and its new `tail` in the journal beside `host_path`,
// opened into `*journal` at the first record. False when no record could be
// written (the shrink then goes on unguarded).
bool Record(const std::string& host_path, posix::OpenFile* journal, const Shrink& shrink,
            const std::string& tail);

// Marks the record in the open journal done; 0, or the Win32 code.
uint32_t MarkDone(int journal_fd);

// Finishes a shrink that the journal beside `host_path` still records for
// the file there now, and removes the journal.
void FinishPending(const std::string& host_path);

// Removes the journal beside `host_path`.
void Remove(const std::string& host_path);

}  // namespace velsetup::host::shrink_journal
