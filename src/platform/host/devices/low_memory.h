// Memory that a 32-bit address reaches, for the Windows 9x driver: its
// register blocks and answers carry buffer addresses in 32 bits, which a
// 64-bit host process can honour only with memory mapped below 4 GB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velsetup::host {

class LowMemoryPool {
 public:
  LowMemoryPool() = default;
  ~LowMemoryPool();
  LowMemoryPool(const LowMemoryPool&) = delete;
  LowMemoryPool& operator=(const LowMemoryPool&) = delete;

  // `size` zeroed bytes, every one of them below 4 GB, kept until the pool
  // goes; null when the host will not map any there.
  uint8_t* Allocate(size_t size);
  // Whether [address, address + size) lies inside one block that Allocate
  // handed out: what a driver may write to on the caller's word.
  bool Holds(uint32_t address, uint32_t size) const;

 private:
  struct Region {
    uint8_t* base;
    size_t size;
    size_t used;
  };
  struct Block {
    uint64_t address;
    size_t size;
  };

  std::vector<Region> regions_;
  std::vector<Block> blocks_;
};

}  // namespace velsetup::host
