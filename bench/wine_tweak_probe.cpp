// Times a level-1 tweak on the real system (1024 non-cached one-megabyte
// blocks, written and released, no gauge) against the same memory work
// written directly against the system calls, alternating the two so both
// see the same state of the host. Prints every time (wall clock and the
// thread's processor time), the fastest and the median of each, and the
// ratios plain/tweak. Exits non-zero when a commit fails, since the times
// would then describe less work than they claim.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "optimize/tweak.h"
#include "platform/win32/win32_os.h"
#include "probe_timing.h"

using probe::Median;

namespace {

constexpr int kBlocks = optimize::kMaxTweakBlocks;
constexpr int kDefaultRepetitions = 5;

// The tweak reports no failure without a window to show it in; counting
// what the system granted tells a full run from a cut-short one.
class CountingOs : public platform::Win32Os {
 public:
  void* VirtualAlloc(void* address, std::size_t size, std::uint32_t allocationType,
                     std::uint32_t protect) override {
    void* block = Win32Os::VirtualAlloc(address, size, allocationType, protect);
    if (block != nullptr) ++granted;
    return block;
  }
  int granted = 0;
};

// The same work as the tweak, the plainest way. Returns the blocks granted.
int PlainBlocks() {
  std::vector<void*> blocks(kBlocks, nullptr);
  int granted = 0;
  for (void*& block : blocks) {
    block = ::VirtualAlloc(nullptr, optimize::kTweakBlockSize, MEM_COMMIT,
                           PAGE_READWRITE | PAGE_NOCACHE);
    if (block == nullptr) break;
    ++granted;
    std::memset(block, 0, optimize::kTweakBlockSize);
    asm volatile("" : : "r"(block) : "memory");
  }
  for (void* block : blocks) {
    if (block != nullptr) ::VirtualFree(block, 0, MEM_RELEASE);
  }
  return granted;
}

struct Times {
  double wallMs = 0;
  // Kernel plus user time of this thread: what a busy host's other work
  // does not add to. Wine reports it in 10 ms steps; zero where the system
  // does not report it.
  double processorMs = 0;
};

double ThreadProcessorMs() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

template <typename Work>
Times Time(Work work) {
  const double processorStart = ThreadProcessorMs();
  const auto start = std::chrono::steady_clock::now();
  work();
  Times t;
  t.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  t.processorMs = ThreadProcessorMs() - processorStart;
  return t;
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Summary(const char* what, double plain, double tweak) {
  if (tweak > 0) {
    std::printf("%-19s plain %7.1f ms, tweak %7.1f ms, plain/tweak %.3f\n", what, plain, tweak,
                plain / tweak);
  } else {
    std::printf("%-19s not reported by this system\n", what);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRepetitions;
  CountingOs os;
  optimize::TweakProgress unwatched;
  bool complete = true;
  const auto plain = [&] { complete = PlainBlocks() == kBlocks && complete; };
  const auto tweak = [&] {
    os.granted = 0;
    optimize::TweakMemoryBlocks(os, kBlocks, unwatched);
    complete = os.granted == kBlocks && complete;
  };
  // The first run of each maps the address range for the first time.
  Time(plain);
  Time(tweak);
  std::vector<double> plainWall, tweakWall, plainCpu, tweakCpu;
  for (int r = 0; r < repetitions; ++r) {
    const Times p = Time(plain);
    const Times t = Time(tweak);
    plainWall.push_back(p.wallMs);
    tweakWall.push_back(t.wallMs);
    plainCpu.push_back(p.processorMs);
    tweakCpu.push_back(t.processorMs);
    std::printf("run %d: plain %7.1f ms (processor %7.1f)   tweak %7.1f ms (processor %7.1f)\n",
                r + 1, p.wallMs, p.processorMs, t.wallMs, t.processorMs);
  }
  if (!complete) {
    std::printf("a commit of a one-megabyte block failed: the times cover less than %d MB\n",
                kBlocks);
    return 1;
  }
  std::printf("%d blocks of 1 MB, %d runs each\n", kBlocks, repetitions);
  Summary("wall, fastest", Fastest(plainWall), Fastest(tweakWall));
  Summary("wall, median", Median(plainWall), Median(tweakWall));
  Summary("processor, fastest", Fastest(plainCpu), Fastest(tweakCpu));
  Summary("processor, median", Median(plainCpu), Median(tweakCpu));
  std::printf("tweak throughput (wall, fastest): %.2f GB/s\n",
              kBlocks * static_cast<double>(optimize::kTweakBlockSize) /
                  (Fastest(tweakWall) / 1000.0) / 1e9);
  return 0;
}
