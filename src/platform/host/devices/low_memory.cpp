#include "platform/host/devices/low_memory.h"

#include <sys/mman.h>
#include <unistd.h>

namespace velsetup::host {

namespace {

constexpr uint64_t k4GB = uint64_t{1} << 32;
constexpr size_t kRegionSize = 256 * 1024;
constexpr size_t kAlignment = 16;
// Where to ask for a mapping when the system has no flag for low memory:
// from 256 MB up, clear of a 32-bit program's usual places.
constexpr uint64_t kFirstHint = 0x10000000;
constexpr uint64_t kHintStep = 0x10000000;

bool Below4GB(const void* address, size_t size) {
  return reinterpret_cast<uintptr_t>(address) + uint64_t{size} <= k4GB;
}

size_t RoundUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

void* MapAnywhere(void* hint, size_t size, int extra_flags) {
  void* mapped = ::mmap(hint, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | extra_flags,
                        -1, 0);
  return mapped == MAP_FAILED ? nullptr : mapped;
}

// A fresh mapping of `size` bytes below 4 GB, or null. MAP_32BIT (Linux on
// x86-64) places it in the first 2 GB; elsewhere hints are tried and a
// mapping that lands too high is given back. A host whose low 4 GB are
// closed to mappings (64-bit macOS reserves them) gets none, and the
// simulated Windows 9x driver is then unavailable.
uint8_t* MapLow(size_t size) {
#ifdef MAP_32BIT
  if (void* mapped = MapAnywhere(nullptr, size, MAP_32BIT)) {
    if (Below4GB(mapped, size)) return static_cast<uint8_t*>(mapped);
    ::munmap(mapped, size);
  }
#endif
  for (uint64_t hint = kFirstHint; hint + size <= k4GB; hint += kHintStep) {
    void* mapped = MapAnywhere(reinterpret_cast<void*>(static_cast<uintptr_t>(hint)), size, 0);
    if (mapped == nullptr) continue;
    if (Below4GB(mapped, size)) return static_cast<uint8_t*>(mapped);
    ::munmap(mapped, size);
  }
  return nullptr;
}

}  // namespace

LowMemoryPool::~LowMemoryPool() {
  for (const Region& region : regions_) ::munmap(region.base, region.size);
}

uint8_t* LowMemoryPool::Allocate(size_t size) {
  if (size == 0) size = 1;
  const size_t needed = RoundUp(size, kAlignment);
  Region* region = regions_.empty() ? nullptr : &regions_.back();
  if (region == nullptr || region->size - region->used < needed) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t region_size = RoundUp(needed > kRegionSize ? needed : kRegionSize, page);
    uint8_t* base = MapLow(region_size);
    if (base == nullptr) return nullptr;
    regions_.push_back(Region{base, region_size, 0});
    region = &regions_.back();
  }
  uint8_t* block = region->base + region->used;
  region->used += needed;
  blocks_.push_back(Block{reinterpret_cast<uintptr_t>(block), size});
  return block;
}

bool LowMemoryPool::Holds(uint32_t address, uint32_t size) const {
  for (const Block& block : blocks_) {
    if (address >= block.address && uint64_t{address} + size <= block.address + block.size) {
      return true;
    }
  }
  return false;
}

}  // namespace velsetup::host
