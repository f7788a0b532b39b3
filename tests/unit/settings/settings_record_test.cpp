#include "settings/settings_record.h"

#include <gtest/gtest.h>

#include <set>


namespace settings {
namespace {

// The default record as the store must hold it, written out by hand.
const SetInfoBytes kDefaultBytes = {
    0, 0, 0, 0,   1, 0, 0, 0,   1, 0, 0, 0,   70, 0, 0, 0,   // clipboard, 1 s, stop on, 70 %
    0, 1, 0, 0,   2, 0, 0, 0,   0, 1, 0, 0,                  // no tweak, refresh on, 2 s, tray
    1, 0, 0, 0,   0x33, 5, 0, 0,   5, 0, 0, 0,   65, 0, 0, 0,  // ALT+SHIFT+A, id 1331
    1, 0, 0, 0,   0x34, 5, 0, 0,   5, 0, 0, 0,   84, 0, 0, 0,  // ALT+SHIFT+T, id 1332
    1, 0, 0, 0,   0x35, 5, 0, 0,   5, 0, 0, 0,   77, 0, 0, 0,  // ALT+SHIFT+M, id 1333
    1, 0, 0, 0,   0x36, 5, 0, 0,   5, 0, 0, 0,   69, 0, 0, 0,  // ALT+SHIFT+E, id 1334
};

TEST(SetInfoRecord, DefaultsEncodeByteForByte) {
  EXPECT_EQ(EncodeSetInfo(DefaultSetInfo()), kDefaultBytes);
}

TEST(SetInfoRecord, TableCoversTheRecordWithoutOverlapAndInOrder) {
  std::set<std::size_t> covered;
  std::size_t previousEnd = 0;
  for (const SetInfoField& f : SetInfoFields()) {
    EXPECT_TRUE(f.size == 1 || f.size == 4) << f.field;
    EXPECT_GE(f.offset, previousEnd) << f.field << " overlaps or is out of order";
    EXPECT_EQ(f.offset % f.size, 0u) << f.field << " is not aligned";
    for (std::size_t i = 0; i < f.size; ++i) covered.insert(f.offset + i);
    previousEnd = f.offset + f.size;
  }
  EXPECT_EQ(previousEnd, kSetInfoSize);
  // 4 slots x (1 + 4 + 4 + 4) + 7 booleans + 3 integers; the rest is padding.
  EXPECT_EQ(covered.size(), 4u * 13 + 7 + 3 * 4);
}

TEST(SetInfoRecord, EveryFieldSurvivesARoundTripAlone) {
  for (const SetInfoField& f : SetInfoFields()) {
    TSetInfo record = DefaultSetInfo();
    const std::int32_t value = f.size == 1 ? (f.defaultValue != 0 ? 0 : 1) : -123456789;
    f.set(record, value);
    const SetInfoBytes bytes = EncodeSetInfo(record);
    TSetInfo back = DefaultSetInfo();
    DecodeSetInfoOver(back, bytes.data(), bytes.size());
    for (const SetInfoField& g : SetInfoFields()) {
      EXPECT_EQ(g.get(back), &g == &f ? value : g.defaultValue)
          << "field " << g.field << " after changing " << f.field;
    }
  }
}

TEST(SetInfoRecord, IntegersAreLittleEndianAndSigned) {
  TSetInfo record = DefaultSetInfo();
  record.ProcessListTime = -2;
  record.HotKeys[3].Key = 0x12345678;
  const SetInfoBytes bytes = EncodeSetInfo(record);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 20, bytes.begin() + 24),
            (std::vector<std::uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 88, bytes.begin() + 92),
            (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
}

TEST(SetInfoRecord, AnyNonzeroByteReadsTrueAndPaddingIsIgnored) {
  SetInfoBytes bytes = kDefaultBytes;
  bytes[0] = 0x80;   // AutoEmptyClipboard
  bytes[26] = 0xFF;  // MinimizeStart
  for (std::size_t pad : {1u, 2u, 3u, 9u, 10u, 11u, 18u, 19u, 27u, 29u, 30u, 31u}) {
    bytes[pad] = 0xAA;
  }
  TSetInfo record = DefaultSetInfo();
  DecodeSetInfoOver(record, bytes.data(), bytes.size());
  EXPECT_TRUE(record.AutoEmptyClipboard);
  EXPECT_TRUE(record.MinimizeStart);
  EXPECT_EQ(record.AutoTime, 1) << "padding next to a boolean is not part of the integer";
  EXPECT_TRUE(record.HotKeys[0].Enabled);
  // Written back, booleans are 1 and padding 0.
  const SetInfoBytes again = EncodeSetInfo(record);
  EXPECT_EQ(again[0], 1);
  EXPECT_EQ(again[26], 1);
  for (std::size_t pad : {1u, 2u, 3u, 9u, 10u, 11u, 18u, 19u, 27u, 29u, 30u, 31u}) {
    EXPECT_EQ(again[pad], 0) << "padding byte " << pad;
  }
}

TEST(SetInfoRecord, ShortValueReplacesOnlyItsLeadingBytes) {
  // 40 bytes: through the first slot's modifiers; its key keeps 65.
  SetInfoBytes stored{};
  stored[4] = 9;       // AutoTime 9
  stored[28] = 0;      // slot 0 off
  stored[32] = 0x99;   // Id 0x0599: only the low byte comes from the store ...
  stored[33] = 0x05;
  stored[36] = 2;      // CTRL
  TSetInfo record = DefaultSetInfo();
  DecodeSetInfoOver(record, stored.data(), 40);
  EXPECT_EQ(record.AutoTime, 9);
  EXPECT_FALSE(record.bStopAuto) << "offset 8 is within the 40 bytes";
  EXPECT_EQ(record.StopAutoPercent, 0);
  EXPECT_FALSE(record.HotKeys[0].Enabled);
  EXPECT_EQ(record.HotKeys[0].Id, 0x0599);
  EXPECT_EQ(record.HotKeys[0].Modifiers, kModControl);
  EXPECT_EQ(record.HotKeys[0].Key, 65);
  EXPECT_EQ(record.HotKeys[1], DefaultSetInfo().HotKeys[1]);

  // A value that ends inside a field keeps the tail of the default there.
  TSetInfo partial = DefaultSetInfo();
  const std::uint8_t two[] = {1, 0, 0, 0, 0x2C};
  DecodeSetInfoOver(partial, two, 5);
  EXPECT_EQ(partial.AutoTime, 0x2C) << "low byte stored, the default's high bytes are 0";
  TSetInfo highPart = DefaultSetInfo();
  highPart.ProcessListTime = 0x01020304;
  const SetInfoBytes base = EncodeSetInfo(highPart);
  std::vector<std::uint8_t> cut(base.begin(), base.begin() + 22);
  cut[20] = 0xFF;
  cut[21] = 0xEE;
  DecodeSetInfoOver(highPart, cut.data(), cut.size());
  EXPECT_EQ(highPart.ProcessListTime, 0x0102EEFF);
}

TEST(SetInfoRecord, EmptyValueChangesNothing) {
  TSetInfo record = DefaultSetInfo();
  DecodeSetInfoOver(record, nullptr, 0);
  EXPECT_EQ(EncodeSetInfo(record), kDefaultBytes);
}

TEST(ParseIntegerTest, AcceptsWhatAUserMayTypeAndNothingElse) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  } cases[] = {{"0", true, 0},          {"59", true, 59},        {" 7", true, 7},
               {"+3", true, 3},         {"-5", true, -5},        {"2147483647", true, 2147483647},
               {"-2147483648", true, -2147483647 - 1},           {"2147483648", false, 0},
               {"99999999999999999999", false, 0},               {"", false, 0},
               {" ", false, 0},         {"-", false, 0},         {"1.5", false, 0},
               {"12a", false, 0},       {"7 ", false, 0},        {"0x10", false, 0}};
  for (const Case& c : cases) {
    std::int32_t value = 42;
    EXPECT_EQ(ParseInteger(c.text, value), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(ParseIntegerTest, StrToIntNamesTheTextInItsError) {
  EXPECT_EQ(StrToInt("12"), 12);
  try {
    StrToInt("");
    FAIL() << "an empty text is no integer";
  } catch (const NotAnInteger& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  try {
    StrToInt("abc");
    FAIL() << "abc is no integer";
  } catch (const NotAnInteger& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

}  // namespace
}  // namespace settings
