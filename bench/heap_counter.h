// Counts the bytes that operator new holds, and their peak, so a benchmark
// can say what one call needs at most beyond what was in use before it.
// The program's whole heap through new and delete is counted (malloc of C
// code is not). Replaces the global operator new and delete: include it in
// exactly one file of a program.
#pragma once

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace velsetup::bench {

inline std::atomic<size_t> heap_in_use{0};
inline std::atomic<size_t> heap_peak{0};

// The peak from now on is measured from what is in use now.
inline size_t ResetHeapPeak() {
  const size_t now = heap_in_use.load();
  heap_peak.store(now);
  return now;
}

// Not inlined: where the compiler sees operator new paired with free() it
// warns of a mismatch that is none.
[[gnu::noinline]] inline void* CountedAllocation(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  // What the allocator really gave, so that the release takes back the same.
  const size_t now = heap_in_use.fetch_add(::malloc_usable_size(block)) +
                     ::malloc_usable_size(block);
  size_t peak = heap_peak.load();
  while (now > peak && !heap_peak.compare_exchange_weak(peak, now)) {
  }
  return block;
}

[[gnu::noinline]] inline void CountedRelease(void* block) {
  if (block == nullptr) return;
  heap_in_use.fetch_sub(::malloc_usable_size(block));
  std::free(block);
}

}  // namespace velsetup::bench

void* operator new(size_t size) {
  if (void* block = velsetup::bench::CountedAllocation(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return ::operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return velsetup::bench::CountedAllocation(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return velsetup::bench::CountedAllocation(size);
}
void operator delete(void* block) noexcept { velsetup::bench::CountedRelease(block); }
void operator delete[](void* block) noexcept { velsetup::bench::CountedRelease(block); }
void operator delete(void* block, size_t) noexcept { velsetup::bench::CountedRelease(block); }
void operator delete[](void* block, size_t) noexcept { velsetup::bench::CountedRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept {
  velsetup::bench::CountedRelease(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  velsetup::bench::CountedRelease(block);
}
