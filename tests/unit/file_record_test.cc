// The record a run leaves on a file, and the hash it vouches for the bytes with.
#include "fileconv/file_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors_test_support.h"
#include "fileconv/content_hash.h"

namespace {

TEST(ContentHash, EveryBitOfEveryByteAndTheLengthTell) {
  std::vector<uint8_t> block(kHashBlockSize);
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<uint8_t>(i * 7);
  const uint64_t hash = BlockHash(block.data(), kHashBlockSize);
  // The same on every processor, whatever width its kernel takes the block in.
  EXPECT_EQ(hash, 0xeb0f63c72ebaf431u) << std::hex << hash;
  for (size_t i = 0; i < block.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      block[i] ^= static_cast<uint8_t>(1 << bit);
      EXPECT_NE(BlockHash(block.data(), kHashBlockSize), hash) << i << " " << bit;
      block[i] ^= static_cast<uint8_t>(1 << bit);
    }
  }
  std::vector<uint8_t> zeros(kHashBlockSize);
  for (uint32_t count = 0; count < 24; ++count)
    EXPECT_NE(BlockHash(zeros.data(), count), BlockHash(zeros.data(), count + 1)) << count;
}

class FileRecordTest : public FakeDoorTest {};

TEST_F(FileRecordTest, OnlyARecordOfThisVersionThatFitsTheFileIsRead) {
  // The file is 5120 bytes long, its time 7; the hash is not looked at yet.
  struct Row {
    const char* note;
    RecordKind kind;
  };
  const Row rows[] = {
      {"v1 whole 1251 5120 5120 7 00000000000000ff", kRecordWhole},
      {"v1 part /866 1024 5120 7 ff", kRecordPart},
      {"v1 part /1251 0 5120 7 0", kRecordPart},
      {"/866 1024 5120 7", kRecordNone},  // an earlier version's, without a hash
      {"v2 part /866 1024 5120 7 ff", kRecordNone},
      {"v1 whole 866 1024 5120 7 ff", kRecordNone},  // whole, but not all of it
      {"v1 part /866 6144 5120 7 ff", kRecordNone},  // more than the file holds
      {"v1 part /866 1024 5121 7 ff", kRecordNone},  // another size
      {"v1 part /866 1024 5120 8 ff", kRecordNone},  // another time
      {"v1 part /866 1024 5120 7 fg", kRecordNone},
      {"v1 part /866 1024 5120 7 ff ", kRecordNone},
      {"v1 part /866 1024 5120 7 1ffffffffffffffff", kRecordNone},
      {"v1 part /866 1024 5120 7", kRecordNone},
  };
  for (const Row& row : rows) {
    FakePlatformReset();
    FakePlatform.files["f"] = std::vector<uint8_t>(5120);
    FakePlatform.writes = 7;
    FakePlatform.notes["f"] = row.note;
    PlatformHandle file = kNoHandle;
    PlatformOpenForUpdate(FakeName("f"), &file);
    EXPECT_EQ(ReadRecord(file).kind, row.kind) << row.note;
  }
}

}  // namespace
