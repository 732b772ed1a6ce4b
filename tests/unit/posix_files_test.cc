// The POSIX file services: transfers at the current position, and seeks from every origin,
// on files the layer opened and on descriptors it did not.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_layer.h"
#include "platform/posix/seams.h"

namespace {

class PosixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelcor-files-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    path_ = pattern;
    for (int i = 0; i < 3000; ++i)
      original_.push_back(static_cast<char>(i % 251));
    ASSERT_EQ(write(fd, original_.data(), original_.size()),
              static_cast<ssize_t>(original_.size()));
    close(fd);
  }

  void TearDown() override { unlink(path_.c_str()); }

  HANDLE Open(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    const std::u16string wide(path.begin(), path.end());
    return CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), access, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  // Reads size bytes at the current position and returns what came.
  std::string Read(HANDLE file, DWORD size) {
    std::string bytes(size, '\0');
    DWORD count = 12345;
    EXPECT_TRUE(ReadFile(file, bytes.data(), size, &count, nullptr));
    bytes.resize(count);
    return bytes;
  }

  int64_t Seek(HANDLE file, int64_t distance, DWORD method) {
    LONG high = static_cast<LONG>(distance >> 32);
    const DWORD low = SetFilePointer(file, static_cast<LONG>(distance), &high, method);
    return (static_cast<int64_t>(high) << 32) | low;
  }

  std::string path_;
  std::string original_;
};

TEST_F(PosixFilesTest, TransfersGoOnFromWhereTheLastOneEnded) {
  HANDLE file = Open(path_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read(file, 1024), original_.substr(0, 1024));
  EXPECT_EQ(Read(file, 1024), original_.substr(1024, 1024));
  EXPECT_EQ(Seek(file, 0, FILE_CURRENT), 2048);

  // Back to the block just read, rewrite it, and the next read follows the write.
  EXPECT_EQ(Seek(file, 1024, FILE_BEGIN), 1024);
  const std::string block(1024, 'x');
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, block.data(), 1024, &written, nullptr));
  EXPECT_EQ(written, 1024u);
  EXPECT_EQ(Read(file, 1024), original_.substr(2048, 952));  // short: the end of the file
  EXPECT_EQ(Read(file, 1024), "");                           // at the end: nothing, no error
  EXPECT_EQ(Seek(file, 0, FILE_CURRENT), 3000);
  EXPECT_TRUE(CloseHandle(file));

  std::string expected = original_;
  expected.replace(1024, 1024, block);
  file = Open(path_);
  EXPECT_EQ(Read(file, 4096), expected);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PosixFilesTest, SeeksFromEachOriginAndRefusesToGoBeforeTheStart) {
  HANDLE file = Open(path_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Seek(file, -100, FILE_END), 2900);
  EXPECT_EQ(Seek(file, -900, FILE_CURRENT), 2000);
  EXPECT_EQ(Seek(file, 10, FILE_BEGIN), 10);

  // A seek before the start fails with EINVAL, as lseek does, and moves nothing.
  for (DWORD method : {FILE_BEGIN, FILE_CURRENT, FILE_END}) {
    LONG high = -1;
    EXPECT_EQ(SetFilePointer(file, -5000, &high, method), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL)) << method;
  }
  EXPECT_EQ(Read(file, 5), original_.substr(10, 5));

  // Without a high part the distance is signed, and a position past 4 GiB does not fit.
  EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_CURRENT), 10u);
  EXPECT_EQ(Seek(file, 0x100000010LL, FILE_BEGIN), 0x100000010LL);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EOVERFLOW));
  EXPECT_EQ(Read(file, 10), "");  // far past the end
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PosixFilesTest, FailedTransfersGiveTheSystemsError) {
  HANDLE file = Open(path_, GENERIC_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 7;
  EXPECT_FALSE(WriteFile(file, "abc", 3, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EBADF));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Read(file, 3), original_.substr(0, 3));  // the failed write moved nothing
  EXPECT_TRUE(CloseHandle(file));

  // A write that moves nothing and names no error fails instead of trying for ever.
  file = Open(path_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  PlatformSeams.transfers = {0, 0, 1};
  EXPECT_FALSE(WriteFile(file, "abc", 3, &written, nullptr));
  PlatformSeams.transfers = {};
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EIO));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(PosixFilesTest, DescriptorsOpenedElsewhereKeepTheSystemsPosition) {
  // A descriptor number that a closed handle held, now of a file opened elsewhere: its
  // transfers and seeks use the position the system holds for it.
  HANDLE file = Open(path_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Read(file, 100);
  const int number = FdFromHandle(file);
  EXPECT_TRUE(CloseHandle(file));
  const int fd = open(path_.c_str(), O_RDONLY);
  ASSERT_EQ(fd, number);
  ASSERT_EQ(lseek(fd, 500, SEEK_SET), 500);
  EXPECT_EQ(Read(HandleFromFd(fd), 10), original_.substr(500, 10));
  EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 510);
  EXPECT_EQ(Seek(HandleFromFd(fd), 20, FILE_CURRENT), 530);
  EXPECT_EQ(lseek(fd, 0, SEEK_CUR), 530);
  close(fd);

  // A pipe cannot seek, and reads in order.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "abcdef", 6), 6);
  close(fds[1]);
  EXPECT_EQ(Read(HandleFromFd(fds[0]), 2), "ab");
  EXPECT_EQ(SetFilePointer(HandleFromFd(fds[0]), 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ESPIPE));
  EXPECT_EQ(Read(HandleFromFd(fds[0]), 10), "cdef");
  close(fds[0]);
}

TEST_F(PosixFilesTest, TransfersAtANamedOffsetGoThereWhateverThePosition) {
  HANDLE file = Open(path_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Seek(file, 100, FILE_BEGIN), 100);
  OVERLAPPED at = {};
  at.Offset = 2000;
  std::string bytes(1024, '\0');
  DWORD count = 0;
  EXPECT_TRUE(ReadFile(file, bytes.data(), 1024, &count, &at));
  EXPECT_EQ(bytes.substr(0, count), original_.substr(2000));  // short: the end of the file
  EXPECT_EQ(Seek(file, 0, FILE_CURRENT), 3000);               // the position follows, as on Windows
  at.Offset = 10;
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "xyz", 3, &written, &at));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(Read(file, 2), original_.substr(13, 2));

  // At or past the end a read at an offset fails with the end of the file, as on Windows.
  for (DWORD offset : {3000u, 5000u}) {
    at.Offset = offset;
    count = 7;
    EXPECT_FALSE(ReadFile(file, bytes.data(), 1024, &count, &at));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_EQ(count, 0u);
  }

  // The high part reaches the system; an offset it cannot address fails the transfer.
  at.Offset = 5;
  at.OffsetHigh = 1;
  EXPECT_TRUE(WriteFile(file, "q", 1, &written, &at));
  at.OffsetHigh = 0x80000000u;
  EXPECT_FALSE(WriteFile(file, "r", 1, &written, &at));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(EINVAL));
  EXPECT_TRUE(CloseHandle(file));
  struct stat status;
  ASSERT_EQ(stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_size, 0x100000006LL);
}

}  // namespace
