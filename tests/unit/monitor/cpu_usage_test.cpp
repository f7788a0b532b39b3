#include "monitor/cpu_usage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/sim/sim_os.h"

namespace monitor {
namespace {

using platform::SimOs;

constexpr std::int64_t kSecond = 10000000;  // in 100 ns units

// A sampler on a simulated NT machine that counts how often it pumps.
struct NtRig {
  SimOs os;
  int pumps = 0;
  std::function<void()> duringPump;
  CpuUsageSampler sampler{os, PlatformFamily::WindowsNT, [this] {
                            ++pumps;
                            if (duringPump) duringPump();
                          }};
};

// --- the NT formula ------------------------------------------------------------------

TEST(SampleCpuUsageNT, FirstReadingIsZeroAndKeepsTheCounts) {
  NtRig rig;
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), 0);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 0.0);
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), rig.os.idleTime);
  EXPECT_EQ(rig.sampler.PreviousSystemTime(), rig.os.systemTime);
  EXPECT_EQ(rig.pumps, 0) << "no reading, no pump";
  EXPECT_EQ(rig.os.Calls(),
            (std::vector<std::string>{"NtQuerySystemInformation(0)", "NtQuerySystemInformation(3)",
                                      "NtQuerySystemInformation(2)"}));
}

struct FormulaCase {
  std::uint8_t processors;
  std::int64_t elapsed;
  std::int64_t idle;  // summed over the processors
  double reading;
};

void PrintTo(const FormulaCase& c, std::ostream* os) {
  *os << c.idle << " idle of " << c.elapsed << " on " << int{c.processors};
}

class CpuFormulaTest : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(CpuFormulaTest, ReadsTheNonIdleShareRoundedHalfToEven) {
  const FormulaCase& c = GetParam();
  NtRig rig;
  rig.os.processorCount = c.processors;
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(c.elapsed, c.idle);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), c.reading)
      << int{c.processors} << " processors, " << c.idle << " idle of " << c.elapsed;
  EXPECT_EQ(rig.pumps, 1);
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), rig.os.idleTime);
  EXPECT_EQ(rig.sampler.PreviousSystemTime(), rig.os.systemTime);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, CpuFormulaTest,
    ::testing::Values(
        // 25.5 and 30.5 round down to even, 31.5 up.
        FormulaCase{1, kSecond, kSecond * 3 / 4, 26.0},
        FormulaCase{2, kSecond, kSecond * 3 / 2, 26.0},
        FormulaCase{1, kSecond, kSecond * 70 / 100, 30.0},
        FormulaCase{1, kSecond, kSecond * 69 / 100, 32.0},
        FormulaCase{1, kSecond, kSecond * 698 / 1000, 31.0},
        FormulaCase{4, kSecond, 0, 100.0},
        FormulaCase{1, kSecond, kSecond, 0.0},
        // Idle counted beyond the elapsed time is not clamped away.
        FormulaCase{1, kSecond, kSecond * 12 / 10, -20.0},
        FormulaCase{2, kSecond, kSecond * 21 / 10, -4.0},
        FormulaCase{1, kSecond, kSecond * 1004 / 1000, 0.0}));

TEST(SampleCpuUsageNT, NegativeZeroIsNotReported) {
  NtRig rig;
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(kSecond, kSecond * 1004 / 1000);  // 100 - 100.4 + 0.5 = 0.1
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(kSecond, kSecond * 1008 / 1000);  // -0.3 rounds to -0
  const double reading = rig.sampler.SampleCpuUsageNT();
  EXPECT_EQ(reading, 0.0);
  EXPECT_FALSE(std::signbit(reading));
}

struct FailedQueryCase {
  const char* name;
  std::function<void(SimOs&)> fail;
  std::function<void(SimOs&)> heal;
};

void PrintTo(const FailedQueryCase& c, std::ostream* os) { *os << c.name; }

class FailedQueryTest : public ::testing::TestWithParam<FailedQueryCase> {};

TEST_P(FailedQueryTest, ReadsZeroAndTheNextReadingSpansBothIntervals) {
  NtRig rig;
  rig.sampler.SampleCpuUsageNT();
  const std::int64_t idleBefore = rig.sampler.PreviousIdleTime();
  const std::int64_t systemBefore = rig.sampler.PreviousSystemTime();

  rig.os.AdvanceProcessorTime(kSecond, kSecond * 3 / 4);
  GetParam().fail(rig.os);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 0.0);
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), idleBefore);
  EXPECT_EQ(rig.sampler.PreviousSystemTime(), systemBefore);
  EXPECT_EQ(rig.pumps, 0);

  GetParam().heal(rig.os);
  rig.os.AdvanceProcessorTime(kSecond, kSecond / 4);
  // Over both: 1 s idle of 2 s is 50.5, rounded to 50; the last interval
  // alone would read 76.
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 50.0);
}

INSTANTIATE_TEST_SUITE_P(
    Queries, FailedQueryTest,
    ::testing::Values(
        FailedQueryCase{"Basic", [](SimOs& os) { os.failQueryClass = 0; },
                        [](SimOs& os) { os.failQueryClass.reset(); }},
        FailedQueryCase{"TimeOfDay", [](SimOs& os) { os.failQueryClass = 3; },
                        [](SimOs& os) { os.failQueryClass.reset(); }},
        FailedQueryCase{"Performance", [](SimOs& os) { os.failQueryClass = 2; },
                        [](SimOs& os) { os.failQueryClass.reset(); }},
        FailedQueryCase{"EntryPointMissing",
                        [](SimOs& os) { os.Fail("NtQuerySystemInformation", 0xC0000002u); },
                        [](SimOs& os) { os.Heal("NtQuerySystemInformation"); }}),
    [](const ::testing::TestParamInfo<FailedQueryCase>& info) {
      return std::string(info.param.name);
    });

TEST(SampleCpuUsageNT, FailedQueryStopsTheRemainingOnes) {
  NtRig rig;
  rig.os.failQueryClass = 0;
  rig.sampler.SampleCpuUsageNT();
  EXPECT_EQ(rig.os.Calls(), (std::vector<std::string>{"NtQuerySystemInformation(0)"}));
}

TEST(SampleCpuUsageNT, NestedReadingInsideThePumpMeasuresFromTheOldCounts) {
  NtRig rig;
  rig.sampler.SampleCpuUsageNT();
  const std::int64_t idle0 = rig.os.idleTime;
  const std::int64_t system0 = rig.os.systemTime;
  rig.os.AdvanceProcessorTime(kSecond, kSecond * 3 / 4);
  const std::int64_t idle1 = rig.os.idleTime;
  const std::int64_t system1 = rig.os.systemTime;

  double nested = -1;
  bool nestedRan = false;
  rig.duringPump = [&] {
    if (nestedRan) return;  // one nested reading, not an endless chain
    nestedRan = true;
    EXPECT_EQ(rig.sampler.PreviousIdleTime(), idle0) << "the outer reading has not stored yet";
    EXPECT_EQ(rig.sampler.PreviousSystemTime(), system0);
    rig.os.AdvanceProcessorTime(kSecond, kSecond / 4);
    nested = rig.sampler.SampleCpuUsageNT();
  };
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 26.0);
  // Nested: 1 s idle of 2 s since the first reading.
  EXPECT_EQ(nested, 50.0);
  EXPECT_EQ(rig.pumps, 2);
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), idle1) << "the outer reading stores last";
  EXPECT_EQ(rig.sampler.PreviousSystemTime(), system1);
}

struct NoShareCase {
  const char* name;
  std::uint8_t processors;
  std::int64_t elapsed;
};

void PrintTo(const NoShareCase& c, std::ostream* os) { *os << c.name; }

class NoShareTest : public ::testing::TestWithParam<NoShareCase> {};

TEST_P(NoShareTest, ReadsZeroStoresTheCountsAndDoesNotPump) {
  NtRig rig;
  rig.os.processorCount = GetParam().processors;
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(GetParam().elapsed, kSecond / 2);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 0.0);
  EXPECT_EQ(rig.sampler.PreviousIdleTime(), rig.os.idleTime);
  EXPECT_EQ(rig.sampler.PreviousSystemTime(), rig.os.systemTime);
  EXPECT_EQ(rig.pumps, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, NoShareTest,
                         ::testing::Values(NoShareCase{"NoTimePassed", 1, 0},
                                           NoShareCase{"NoProcessor", 0, kSecond}),
                         [](const ::testing::TestParamInfo<NoShareCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(SampleCpuUsageNT, IdleCountZeroNeverGivesAReading) {
  // The idle count doubles as "no reading yet": a machine reporting zero
  // idle time keeps answering 0.
  NtRig rig;
  rig.os.idleTime = 0;
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(kSecond, 0);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 0.0);
  EXPECT_EQ(rig.pumps, 0);
}

TEST(SampleCpuUsageNT, CountsCrossingTheLowHalfAreCarried) {
  NtRig rig;
  // Both counts cross 2^32 and 2^31 boundaries during the interval.
  rig.os.idleTime = 0xFFFFFFFFLL - kSecond / 2;
  rig.os.systemTime = 0x17FFFFFFFLL - kSecond / 2;
  rig.sampler.SampleCpuUsageNT();
  rig.os.AdvanceProcessorTime(kSecond, kSecond * 3 / 4);
  EXPECT_EQ(rig.sampler.SampleCpuUsageNT(), 26.0);
}

struct CountCase {
  std::int64_t count;
  double value;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.count; }

class LargeCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(LargeCountTest, HighHalfSignedLowHalfUnsigned) {
  EXPECT_EQ(LargeCountToDouble(GetParam().count), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, LargeCountTest,
    ::testing::Values(CountCase{0, 0.0}, CountCase{0x80000000LL, 2147483648.0},
                      CountCase{0xFFFFFFFFLL, 4294967295.0},
                      CountCase{0x100000005LL, 4294967301.0},
                      CountCase{0x180000000LL, 6442450944.0}, CountCase{-1, -1.0},
                      CountCase{-2147483648LL, -2147483648.0},
                      CountCase{0x01C3400000000000LL, 127015583240683520.0},
                      CountCase{INT64_MIN, -9223372036854775808.0}));

// --- the 9x figure -----------------------------------------------------------------------

constexpr const char* kStatData = "HKDD\\PerfStats\\StatData";
constexpr const char* kCpuUsage = "KERNEL\\CPUUsage";

struct DynDataCase {
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> bytes;
  double reading;
};

void PrintTo(const DynDataCase& c, std::ostream* os) { *os << c.name; }

class SampleCpuUsage9xTest : public ::testing::TestWithParam<DynDataCase> {};

TEST_P(SampleCpuUsage9xTest, AcceptsOnlyAFourByteNumber) {
  SimOs os;
  os.SetValue(kStatData, kCpuUsage, GetParam().type, GetParam().bytes);
  CpuUsageSampler sampler(os, PlatformFamily::Windows9x, nullptr);
  EXPECT_EQ(sampler.SampleCpuUsage(), GetParam().reading);
  EXPECT_TRUE(os.OpenHandles().empty()) << "the key is closed";
  EXPECT_EQ(os.CountCalls("NtQuerySystemInformation"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SampleCpuUsage9xTest,
    ::testing::Values(
        DynDataCase{"Binary", platform::kRegBinary, {37, 0, 0, 0}, 37.0},
        DynDataCase{"BinaryLittleEndian", platform::kRegBinary, {0, 1, 0, 0}, 256.0},
        DynDataCase{"Dword", platform::kRegDword, {100, 0, 0, 0}, 100.0},
        DynDataCase{"DwordLargest", platform::kRegDword, {255, 255, 255, 255}, 4294967295.0},
        DynDataCase{"ThreeBytes", platform::kRegBinary, {37, 0, 0}, 0.0},
        DynDataCase{"EightBytes", platform::kRegBinary, {37, 0, 0, 0, 0, 0, 0, 0}, 0.0},
        DynDataCase{"Empty", platform::kRegBinary, {}, 0.0},
        DynDataCase{"Text", platform::kRegSz, {'3', '7', 0, 0}, 0.0}),
    [](const ::testing::TestParamInfo<DynDataCase>& info) {
      return std::string(info.param.name);
    });

TEST(SampleCpuUsage9x, MissingKeyOrValueReadsZero) {
  SimOs os;
  CpuUsageSampler sampler(os, PlatformFamily::Windows9x, nullptr);
  EXPECT_EQ(sampler.SampleCpuUsage9x(), 0.0) << "no key";
  os.AddKey(kStatData);
  EXPECT_EQ(sampler.SampleCpuUsage9x(), 0.0) << "no value";
  os.SetValue(kStatData, "KERNEL\\Other", platform::kRegBinary, {37, 0, 0, 0});
  EXPECT_EQ(sampler.SampleCpuUsage9x(), 0.0) << "another value";
  os.DenyKey(kStatData);
  EXPECT_EQ(sampler.SampleCpuUsage9x(), 0.0) << "key refused";
  EXPECT_TRUE(os.OpenHandles().empty());
  EXPECT_EQ(os.CountCalls("RegOpenKeyExA"), 4u);
  EXPECT_EQ(os.CountCalls("RegCloseKey"), 2u) << "each key opened is closed";
}

TEST(SampleCpuUsage9x, ReadsTheFigureEachTime) {
  SimOs os;
  CpuUsageSampler sampler(os, PlatformFamily::Windows9x, nullptr);
  os.SetValue(kStatData, kCpuUsage, platform::kRegDword, {12, 0, 0, 0});
  EXPECT_EQ(sampler.SampleCpuUsage(), 12.0);
  os.SetValue(kStatData, kCpuUsage, platform::kRegDword, {88, 0, 0, 0});
  EXPECT_EQ(sampler.SampleCpuUsage(), 88.0);
}

// --- families ------------------------------------------------------------------------------

TEST(SampleCpuUsage, NtFamilyReadsTheCountersNotTheRegistry) {
  SimOs os;
  os.SetValue(kStatData, kCpuUsage, platform::kRegDword, {37, 0, 0, 0});
  CpuUsageSampler sampler(os, PlatformFamily::WindowsNT, nullptr);
  sampler.SampleCpuUsage();
  os.AdvanceProcessorTime(kSecond, kSecond * 3 / 4);
  EXPECT_EQ(sampler.SampleCpuUsage(), 26.0) << "a missing pump is simply skipped";
  EXPECT_EQ(os.CountCalls("RegOpenKeyExA"), 0u);
}

TEST(SampleCpuUsage, OtherFamiliesReadZeroWithoutAsking) {
  for (PlatformFamily family : {PlatformFamily::None, PlatformFamily::Win32s}) {
    SimOs os;
    os.SetValue(kStatData, kCpuUsage, platform::kRegDword, {37, 0, 0, 0});
    int pumps = 0;
    CpuUsageSampler sampler(os, family, [&] { ++pumps; });
    EXPECT_EQ(sampler.SampleCpuUsage(), 0.0);
    EXPECT_EQ(sampler.SampleCpuUsage(), 0.0);
    EXPECT_TRUE(os.Calls().empty()) << "family " << static_cast<int>(family);
    EXPECT_EQ(pumps, 0);
  }
}

}  // namespace
}  // namespace monitor
