// The POSIX file services: which files open, and whole transfers at an offset whatever
// the system's calls do on the way.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "planned_faults.h"
#include "platform/platform.h"

namespace {

PlatformName Named(const std::string& bytes) {
  return {bytes.c_str(), static_cast<uint32_t>(bytes.size())};
}

// The file opened, or kNoHandle.
PlatformHandle Open(PlatformName name) {
  PlatformHandle file = kNoHandle;
  PlatformOpenForUpdate(name, &file);
  return file;
}

class PosixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelcor-posix-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (int i = 0; i < 3000; ++i)
      original_.push_back(static_cast<char>(i % 251));
    Reset();
    ASSERT_EQ(mkdir((dir_ + "/sub").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
    for (const char* name : {"/x?.txt", "/файл.txt", "/held.txt"})
      close(open((dir_ + name).c_str(), O_CREAT | O_WRONLY, 0600));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Gives data.txt its original bytes again.
  void Reset() { std::ofstream(Path(), std::ios::binary | std::ios::trunc) << original_; }
  std::string Path() const { return dir_ + "/data.txt"; }

  std::string dir_;
  std::string original_;
};

TEST_F(PosixFilesTest, OnlyRegularFilesOpenAndOnlyOnce) {
  // A file whose path takes 4094 bytes: with a letter more that UTF-8 writes in two bytes,
  // its name no longer fits, and the file must not be opened instead.
  std::string deep = dir_;
  while (4094 - deep.size() > 1 + 255) {
    deep += "/" + std::string(200, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  deep += "/" + std::string(4094 - deep.size() - 1, 'b');
  close(open(deep.c_str(), O_CREAT | O_WRONLY, 0600));
  struct Case {
    std::string name;  // its bytes, within the directory unless absolute
    int error;         // 0: opens
  };
  const Case cases[] = {
      {"data.txt", 0},
      {"файл.txt", 0},
      {"held.txt", EBUSY},  // open already: locked against a second open
      {"sub", EISDIR},
      {"fifo", static_cast<int>(kErrorStream)},
      {"/dev/null", static_cast<int>(kErrorDevice)},
      {"missing.txt", ENOENT},
      // Bytes no charset reads: x?.txt is there, and must not be opened instead.
      {"x\x98.txt", ENOENT},
      {"x\xFF.txt", ENOENT},
      {"", ENOENT},
      {std::string(5000, 'a'), ENAMETOOLONG},
      {deep + "а", ENAMETOOLONG},
  };
  // The lowest free descriptor number: it moves when an open leaks its descriptor.
  const auto lowestFree = [] {
    const int fd = dup(0);
    close(fd);
    return fd;
  };
  const std::string held = dir_ + "/held.txt";
  const PlatformHandle holder = Open(Named(held));
  ASSERT_NE(holder, kNoHandle);
  for (const Case& c : cases) {
    const std::string name = c.name[0] == '/' || c.name.empty() ? c.name : dir_ + "/" + c.name;
    const std::string shown = c.name.substr(c.name.size() > 20 ? c.name.size() - 20 : 0);
    const int lowest = lowestFree();
    PlatformHandle file = 12345;
    EXPECT_EQ(PlatformOpenForUpdate(Named(name), &file), static_cast<PlatformError>(c.error))
        << shown;
    EXPECT_EQ(file != kNoHandle, c.error == 0) << shown;
    EXPECT_EQ(PlatformClose(file) == 0, c.error == 0) << shown;
    EXPECT_EQ(lowestFree(), lowest) << shown;
  }
  // The lock goes with the handle.
  EXPECT_EQ(PlatformClose(holder), 0u);
  EXPECT_EQ(PlatformClose(Open(Named(held))), 0u);
}

TEST_F(PosixFilesTest, TransfersAreWholeUnlessTheSystemFails) {
  struct Case {
    const char* what;
    bool writing;
    uint64_t offset;
    uint32_t size;
    std::deque<Fault> faults;  // of pwrite when writing, else of pread
    uint32_t moved;
    int error;            // 0: succeeds
    bool stream = false;  // a write to a stream, from where it stands: faults of write
  };
  const std::deque<Fault> cutShort = {{EINTR, 0}, {0, 1}, {EINTR, 0}, {0, 100}};
  const Case cases[] = {
      {"interrupted, short reads", false, 100, 1024, cutShort, 1024, 0},
      {"a failed read", false, 0, 1024, {{EIO, 0}}, 0, EIO},
      {"a read failing after a short one", false, 0, 1024, {{0, 100}, {EIO, 0}}, 0, EIO},
      {"a read across the end", false, 2900, 1024, {}, 100, 0},
      {"a read at the end", false, 3000, 1024, {}, 0, 0},
      {"a read past the end", false, 5000, 1024, {}, 0, 0},
      {"interrupted, short writes", true, 100, 1024, cutShort, 1024, 0},
      {"a write moving nothing", true, 0, 1024, {{0, 0}}, 0, EIO},
      {"a write that stops moving", true, 0, 1024, {{0, 100}, {0, 0}}, 100, EIO},
      {"a write failing after a short one", true, 0, 1024, {{0, 100}, {ENOSPC, 0}}, 100, ENOSPC},
      {"a write past 4 GiB", true, 0x100000005, 2, {}, 2, 0},
      {"a stream's interrupted, short writes", true, 0, 1024, cutShort, 1024, 0, true},
      {"a stream's write that stops moving", true, 0, 1024, {{0, 100}, {0, 0}}, 100, EIO, true},
  };
  const std::string data(original_.rbegin(), original_.rbegin() + 1024);
  for (const Case& c : cases) {
    Reset();
    const PlatformHandle file = Open(Named(Path()));
    ASSERT_NE(file, kNoHandle);
    std::deque<Fault>& plan = PlannedFaults[c.stream    ? kCallWrite
                                            : c.writing ? kCallPwrite
                                                        : kCallPread];
    plan = c.faults;
    std::string bytes(c.size, '#');
    uint32_t moved = 12345;
    const PlatformError error = c.stream ? PlatformWriteStream(file, data.data(), c.size, &moved)
                                : c.writing
                                    ? PlatformWriteAt(file, c.offset, data.data(), c.size, &moved)
                                    : PlatformReadAt(file, c.offset, bytes.data(), c.size, &moved);
    EXPECT_TRUE(plan.empty()) << c.what;  // every fault reached the platform
    EXPECT_EQ(moved, c.moved) << c.what;
    EXPECT_EQ(error, static_cast<PlatformError>(c.error)) << c.what;

    // The bytes read, or what the file holds at the offset after the write.
    const auto original = [&](uint64_t from, uint32_t count) {
      return from < original_.size() ? original_.substr(from, count) : std::string();
    };
    const std::string expected =
        c.writing ? data.substr(0, c.moved) + original(c.offset + c.moved, c.size - c.moved)
                  : original(c.offset, c.moved);
    if (c.writing) {
      const int fd = open(Path().c_str(), O_RDONLY);
      moved =
          static_cast<uint32_t>(std::max<ssize_t>(pread(fd, bytes.data(), c.size, c.offset), 0));
      close(fd);
    }
    bytes.resize(moved);
    EXPECT_EQ(bytes, expected) << c.what;
    EXPECT_EQ(PlatformClose(file), 0u);
  }
}

TEST_F(PosixFilesTest, StampAndIdentity) {
  // The time of last change to the nanosecond, so that a change within the same second
  // tells; one identity for every name of a file, another for another file.
  const PlatformHandle file = Open(Named(Path()));
  const timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
  ASSERT_EQ(futimens(static_cast<int>(file), times), 0);
  uint64_t size = 0, modified = 0;
  EXPECT_EQ(PlatformFileStamp(file, &size, &modified), 0u);
  EXPECT_EQ(size, original_.size());
  EXPECT_EQ(modified, 1700000000123456789u);
  ASSERT_EQ(link(Path().c_str(), (dir_ + "/hard").c_str()), 0);
  ASSERT_EQ(symlink("sub/../data.txt", (dir_ + "/soft").c_str()), 0);
  PlatformFileId id, other;
  EXPECT_EQ(PlatformFileIdentity(file, &id), 0u);
  EXPECT_EQ(PlatformClose(file), 0u);
  for (const char* name : {"/hard", "/soft", "/held.txt"}) {
    const PlatformHandle again = Open(Named(dir_ + name));
    EXPECT_EQ(PlatformFileIdentity(again, &other), 0u);
    const bool same = other.volume == id.volume && other.index == id.index;
    EXPECT_EQ(same, name != std::string("/held.txt")) << name;
    PlatformClose(again);
  }
}

TEST(PosixNames, ShowInCodePage866AsNearAsItAllows) {
  struct Case {
    std::string name;  // the bytes, in UTF-8 where they are valid
    uint32_t size;     // of the report's buffer
    const char* shown;
  };
  const Case cases[] = {
      {"файл.txt", 64, "\xE4\xA0\xA9\xAB.txt"},
      {"Müller.txt", 64, "M?ller.txt"},
      {"\xFF\xC3.txt", 64, "??.txt"},
      // Control characters would act on the terminal or break the report's line.
      {"a\tb\x1B[2J\n\x7F", 64, "a?b?[2J??"},
      {"ёжик", 4, "\xF1\xA6\xA8"},
      {"", 1, ""},
  };
  for (const Case& c : cases) {
    char out[65];
    memset(out, '#', sizeof out);
    PlatformShowName(Named(c.name), out, c.size);
    EXPECT_STREQ(out, c.shown) << c.name;
    EXPECT_EQ(out[c.size], '#') << "written past the buffer: " << c.name;
  }
}

}  // namespace
