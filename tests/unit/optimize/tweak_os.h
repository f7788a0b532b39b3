#pragma once
// A simulated system whose fresh commits hold stale bytes, and which notes
// what each block held when it was given back, so the tweak's writes can be
// seen: the real system hands out zero pages, which would hide a missing
// zero sweep.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_os.h"

namespace optimize::testing {

inline constexpr std::uint8_t kStaleByte = 0xA5;

// The bytes as runs, "FF*4096 00*100": short to compare, and a failure
// shows where a sweep stopped.
inline std::string Runs(const std::uint8_t* bytes, std::size_t size) {
  std::string out;
  std::size_t i = 0;
  while (i < size) {
    std::size_t j = i;
    while (j < size && bytes[j] == bytes[i]) ++j;
    char head[8];
    std::snprintf(head, sizeof head, "%02X*", bytes[i]);
    if (!out.empty()) out += ' ';
    out += head + std::to_string(j - i);
    i = j;
  }
  return out;
}

class TweakOs : public platform::SimOs {
 public:
  TweakOs() {
    memory.ullTotalPhys = 6u << 20;
    memory.ullAvailPhys = 2u << 20;
  }

  void* VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                     std::uint32_t protect) override {
    void* block = SimOs::VirtualAlloc(address, size, allocationType, protect);
    // Reservations have no pages to fill or to look at.
    if (block != nullptr && allocationType == platform::kMemCommit) {
      std::memset(block, kStaleByte, size);
      live_.push_back(Block{static_cast<std::uint8_t*>(block), size});
    }
    return block;
  }

  bool VirtualFree(void* address, std::size_t size, std::uint32_t freeType) override {
    auto it = std::find_if(live_.begin(), live_.end(),
                           [&](const Block& b) { return b.address == address; });
    const std::string contents = it != live_.end() ? Runs(it->address, it->size) : "";
    const bool freed = SimOs::VirtualFree(address, size, freeType);
    if (freed && it != live_.end()) {
      released.push_back(contents);
      live_.erase(it);
    }
    return freed;
  }

  // The contents of the block committed last and not yet given back.
  std::string NewestLiveContents() const {
    return live_.empty() ? "none" : Runs(live_.back().address, live_.back().size);
  }

  // What each block held when it was released, in release order.
  std::vector<std::string> released;

 private:
  struct Block {
    std::uint8_t* address;
    std::size_t size;
  };
  std::vector<Block> live_;
};

}  // namespace optimize::testing
