// Writing a file never leaves a damaged one where a good one was, and respects what
// the user set up: permissions, symlinks, read-only files, pipes.
// POSIX only: full disks, pipes and root are tried with the system's own means.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "platform/FileAccess.h"

namespace {

namespace fs = std::filesystem;
using platform::FileStatus;
using platform::WriteFileSafely;

std::string Contents(const fs::path& in_path) {
    std::ifstream in(in_path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileWriting : public testing::Test {
  protected:
    fs::path dir =
        fs::temp_directory_path() / ("quorlin-write-" + std::to_string(std::random_device{}()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    void Put(const fs::path& in_path, const std::string& in_text) {
        ASSERT_TRUE(WriteFileSafely(in_path.string(), in_text));
    }
    size_t Entries() const {
        return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
};

TEST_F(FileWriting, AFullDiskLeavesTheOldFileAsItWas) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "mounting a small tmpfs to fill needs root";
    }
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const std::shared_ptr<void> unmount(nullptr, [this](void*) { umount(dir.c_str()); });
    const fs::path target = dir / "bank.m80";
    const std::string old(20000, 'o');
    Put(target, old);
    // The old file and the new one do not both fit in 64 KB.
    const platform::FileResult result = WriteFileSafely(target.string(), std::string(60000, 'n'));
    EXPECT_EQ(result.status, FileStatus::WriteFailed);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(Contents(target), old);
    EXPECT_EQ(Entries(), 1u) << "no temporary file is left behind";
}

TEST_F(FileWriting, PermissionsSymlinksAndOtherFilesAreRespected) {
    const fs::path target = dir / "bank.m80";
    Put(target, "old");
    fs::permissions(target, fs::perms(0640));
    const fs::path link = dir / "link.m80";
    fs::create_symlink("bank.m80", link);
    const fs::path part = dir / "bank.m80.part";
    Put(part, "the user's own");

    Put(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(Contents(part), "the user's own");
    EXPECT_EQ(Entries(), 3u);

    // Read-only stays read-only, also for root.
    fs::permissions(target, fs::perms(0444));
    EXPECT_EQ(WriteFileSafely(link.string(), "newer").status, FileStatus::NotPermitted);
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(WriteFileSafely((dir / "no" / "x.m80").string(), "x").status,
              FileStatus::WriteFailed);
    EXPECT_EQ(WriteFileSafely(dir.string(), "x").status, FileStatus::WriteFailed);
}

TEST_F(FileWriting, APipeIsWrittenIntoNotReplaced) {
    const fs::path pipe = dir / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&]() { received = Contents(pipe); });
    EXPECT_TRUE(WriteFileSafely(pipe.string(), "through the pipe"));
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(pipe));
}

}  // namespace
#endif
