#include "codepage/byte_maps.h"

#include <gtest/gtest.h>
#include <string.h>

#include <array>
#include <vector>

#include "process_records.h"
#include "published_maps.h"

namespace {

// Every test here leaves ByteConverter and the kernel width as it found them.
class ConvertBufferTest : public ::testing::Test {
 protected:
  KeepProcessRecords records_;
};

TEST(ByteMaps, EveryByteOfBothMapsMatchesThePublishedTable) {
  for (int b = 0; b < 256; ++b) {
    const uint8_t byte = static_cast<uint8_t>(b);
    EXPECT_EQ(MapCp866ToCp1251(byte), kExpected866To1251[b]) << "cp866 byte " << b;
    EXPECT_EQ(MapCp1251ToCp866(byte), kExpected1251To866[b]) << "cp1251 byte " << b;
  }
}

TEST(ByteMaps, TheMovedBytesRoundTripBothWaysButTheOldNumeroSign) {
  int moved866 = 0;
  int moved1251 = 0;
  for (int b = 0; b < 256; ++b) {
    const uint8_t byte = static_cast<uint8_t>(b);
    if (MapCp866ToCp1251(byte) != byte) {
      ++moved866;
      EXPECT_EQ(MapCp1251ToCp866(MapCp866ToCp1251(byte)), byte) << "cp866 byte " << b;
    }
    if (MapCp1251ToCp866(byte) != byte) {
      ++moved1251;
      if (byte != 0xA9) {
        EXPECT_EQ(MapCp866ToCp1251(MapCp1251ToCp866(byte)), byte) << "cp1251 byte " << b;
      }
    }
  }
  EXPECT_EQ(moved866, 67);
  EXPECT_EQ(moved1251, 68);
  // 0xA9, the numero sign of files converted by earlier versions, comes back as 0xB9.
  EXPECT_EQ(MapCp866ToCp1251(MapCp1251ToCp866(0xA9)), 0xB9);
}

TEST_F(ConvertBufferTest, AWordWithCapitalYoConvertsAndComesBack) {
  uint8_t word[] = {0xF0, 0xAB, 0xAA, 0xA0};
  ByteConverter = MapCp866ToCp1251;
  ConvertBuffer(word, sizeof word);
  EXPECT_EQ(std::vector<uint8_t>(word, word + 4), (std::vector<uint8_t>{0xA8, 0xEB, 0xEA, 0xE0}));
  ByteConverter = MapCp1251ToCp866;
  ConvertBuffer(word, sizeof word);
  EXPECT_EQ(std::vector<uint8_t>(word, word + 4), (std::vector<uint8_t>{0xF0, 0xAB, 0xAA, 0xA0}));
}

// Converts count bytes of a buffer that holds every byte value several times over and
// checks each position against the table, and that nothing past count changed.
void CheckConvertsExactly(ByteMap map, const std::array<uint8_t, 256>& table, uint16_t count) {
  const size_t size = static_cast<size_t>(count) + 64;
  std::vector<uint8_t> buffer(size);
  for (size_t i = 0; i < size; ++i)
    buffer[i] = static_cast<uint8_t>(i * 7 + 0x80);
  const std::vector<uint8_t> before = buffer;
  ByteConverter = map;
  ConvertBuffer(buffer.data(), count);
  for (size_t i = 0; i < size; ++i) {
    const uint8_t want = i < count ? table[before[i]] : before[i];
    ASSERT_EQ(buffer[i], want) << "position " << i << " of count " << count;
  }
}

TEST_F(ConvertBufferTest, ConvertsExactlyCountBytesWithEitherMap) {
  for (uint16_t count : {0, 1, 15, 16, 17, 31, 33, 1024, 65535}) {
    CheckConvertsExactly(MapCp866ToCp1251, kExpected866To1251, count);
    CheckConvertsExactly(MapCp1251ToCp866, kExpected1251To866, count);
  }
}

uint8_t SwapCase(uint8_t byte) {
  return static_cast<uint8_t>(byte ^ 0x20);
}

TEST_F(ConvertBufferTest, AnyOtherMapIsAppliedByteByByte) {
  std::array<uint8_t, 256> swapped;
  for (int b = 0; b < 256; ++b)
    swapped[b] = SwapCase(static_cast<uint8_t>(b));
  for (uint16_t count : {0, 1, 15, 16, 17, 1024})
    CheckConvertsExactly(SwapCase, swapped, count);
}

TEST_F(ConvertBufferTest, EveryKernelAgreesWithTheMapsAtEveryAlignment) {
  // For every kernel the processor has: each start address up to 64 past an aligned one,
  // and each rotation of the values, so that every byte value passes through every lane;
  // the count leaves narrower blocks and a short tail for the other paths.
  constexpr int kCount = 256 + 64 + 16 + 15;
  const struct {
    ByteMap map;
    const std::array<uint8_t, 256>& table;
  } maps[] = {{MapCp866ToCp1251, kExpected866To1251}, {MapCp1251ToCp866, kExpected1251To866}};
  for (ByteKernel kernel : {kKernelPermute64, kKernelNibbles64, kKernelNibbles32, kKernelLanes16}) {
    ByteKernelLimit = kernel;
    for (const auto& m : maps) {
      ByteConverter = m.map;
      for (int offset = 0; offset < 64; ++offset) {
        for (int rotation = 0; rotation < 64; ++rotation) {
          alignas(64) uint8_t storage[64 + kCount + 1] = {};
          uint8_t expected[kCount];
          uint8_t* start = storage + offset;
          for (int i = 0; i < kCount; ++i) {
            start[i] = static_cast<uint8_t>(i + rotation);
            expected[i] = m.table[start[i]];
          }
          ConvertBuffer(start, kCount);
          ASSERT_EQ(memcmp(start, expected, kCount), 0)
              << "kernel " << int(kernel) << " offset " << offset << " rotation " << rotation;
          ASSERT_EQ(start[kCount], 0) << "written past the count";
        }
      }
    }
  }
}

}  // namespace
