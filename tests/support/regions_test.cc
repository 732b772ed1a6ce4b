// Counted byte regions: order, copies in both directions, searches, counts and fills.
#include "support/regions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MemCompare, UnsignedOrderAtFirstDifference) {
  const uint8_t high[] = {'a', 0x80, 0x00};
  const uint8_t low[] = {'a', 0x7F, 0xFF};
  EXPECT_EQ(MemCompare(high, low, 3), 1);
  EXPECT_EQ(MemCompare(low, high, 3), -1);
  EXPECT_EQ(MemCompare(high, low, 1), 0);
  EXPECT_EQ(MemCompare(high, low, 0), 0);
}

TEST(MemCopy, DirectionDecidesWhichOverlapIsSafe) {
  char down[] = "abcdef";
  MemCopy(down, down + 2, 4);  // dst below src
  EXPECT_STREQ(down, "cdefef");
  char up[] = "abcdef";
  MemCopyBackward(up + 2, up, 4);  // dst above src
  EXPECT_STREQ(up, "ababcd");
  char repeated[] = "abcdef";
  MemCopy(repeated + 1, repeated, 4);  // forward upward copy repeats the first byte
  EXPECT_STREQ(repeated, "aaaaaf");
  EXPECT_EQ(MemCopyBackward(up, "zz", 0), up);
  EXPECT_STREQ(up, "ababcd");
}

TEST(MemFindByte, FirstLastAndCountWithinTheCount) {
  const char bytes[] = "xaxbxc";
  EXPECT_EQ(MemFindByte(bytes, 6, 'x'), reinterpret_cast<const uint8_t*>(bytes));
  EXPECT_EQ(MemFindByteBackward(bytes, 6, 'x'), reinterpret_cast<const uint8_t*>(bytes + 4));
  EXPECT_EQ(MemFindByte(bytes, 6, 'c'), reinterpret_cast<const uint8_t*>(bytes + 5));
  EXPECT_EQ(MemFindByte(bytes, 5, 'c'), nullptr);
  EXPECT_EQ(MemFindByteBackward(bytes, 3, 'b'), nullptr);
  EXPECT_EQ(MemFindByte(bytes, 0, 'x'), nullptr);
  EXPECT_EQ(MemFindByteBackward(bytes, 0, 'x'), nullptr);
  EXPECT_EQ(MemCountByte(bytes, 6, 'x'), 3);
  EXPECT_EQ(MemCountByte(bytes, 4, 'x'), 2);
  EXPECT_EQ(MemCountByte(bytes, 0, 'x'), 0);
  const std::vector<uint8_t> full(65535, 7);
  EXPECT_EQ(MemCountByte(full.data(), 65535, 7), 65535);
}

TEST(MemAllWordsEqual, CountOrZero) {
  const uint16_t words[] = {5, 5, 6};
  EXPECT_EQ(MemAllWordsEqual(words, 3, 5), 0);
  EXPECT_EQ(MemAllWordsEqual(words, 2, 5), 2);
  EXPECT_EQ(MemAllWordsEqual(words, 0, 5), 0);
  uint8_t unaligned[5] = {0xFF};
  MemCopy(unaligned + 1, words, 4);
  EXPECT_EQ(MemAllWordsEqual(unaligned + 1, 2, 5), 2);
}

TEST(MemFill, CountBeyondSixteenBits) {
  std::vector<uint8_t> bytes(70002, 0);
  EXPECT_EQ(MemFill(bytes.data() + 1, 0xAB, 70000), bytes.data() + 1);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[70000], 0xAB);
  EXPECT_EQ(bytes[70001], 0);
  EXPECT_EQ(MemCountByte(bytes.data() + 1, 65535, 0xAB), 65535);
}

}  // namespace
