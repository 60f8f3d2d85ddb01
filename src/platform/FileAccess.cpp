#include "platform/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

FileResult Failure(FileStatus in_status, const std::string& in_reason) {
    return {in_status, in_reason};
}

// A chain of symlinks ends at the file that is really written; a loop ends after 40.
fs::path FollowLinks(fs::path io_path) {
    for (int i = 0; i < 40; ++i) {
        std::error_code error;
        if (!fs::is_symlink(io_path, error)) {
            break;
        }
        const fs::path link = fs::read_symlink(io_path, error);
        if (error) {
            break;
        }
        io_path = link.is_absolute() ? link : io_path.parent_path() / link;
    }
    return io_path;
}

}  // namespace

#ifndef _WIN32

namespace {

std::string SystemReason() {
    return std::strerror(errno);
}

bool WriteAll(int in_fd, const std::string& in_bytes) {
    size_t done = 0;
    while (done < in_bytes.size()) {
        const ssize_t n = ::write(in_fd, in_bytes.data() + done, in_bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

FileResult WriteStraightInto(const fs::path& in_target, const std::string& in_bytes) {
    const int fd = ::open(in_target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return Failure(
            errno == EACCES || errno == EPERM ? FileStatus::NotPermitted : FileStatus::WriteFailed,
            SystemReason());
    }
    const bool written = WriteAll(fd, in_bytes);
    const std::string reason = written ? std::string() : SystemReason();
    if (::close(fd) != 0 && written) {
        return Failure(FileStatus::WriteFailed, SystemReason());
    }
    return written ? FileResult{} : Failure(FileStatus::WriteFailed, reason);
}

}  // namespace

FileResult ReadFileStart(const std::string& in_path, size_t in_limit, std::string& out_bytes,
                         bool& out_more) {
    out_bytes.clear();
    out_more = false;
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    const int fd = ::open(in_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failure(FileStatus::CannotOpen, SystemReason());
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const std::string reason = SystemReason();
        ::close(fd);
        return Failure(FileStatus::CannotOpen, reason);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return Failure(FileStatus::CannotOpen, "it is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Failure(FileStatus::NotRegular, "it is a device or pipe, not a file");
    }
    // One byte beyond what the file holds tells whether it grew meanwhile; never more
    // than the limit and one byte, to tell a file larger than the limit.
    out_bytes.resize(static_cast<size_t>(
        std::min<uint64_t>(uint64_t(in_limit) + 1, uint64_t(info.st_size) + 1)));
    size_t got = 0;
    while (got < out_bytes.size()) {
        const ssize_t n = ::read(fd, &out_bytes[got], out_bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string reason = SystemReason();
            ::close(fd);
            out_bytes.clear();
            return Failure(FileStatus::ReadFailed, reason);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    out_more = got > in_limit;
    out_bytes.resize(out_more ? in_limit : got);
    return {};
}

FileResult WriteFileSafely(const std::string& in_path, const std::string& in_bytes) {
    const fs::path target = FollowLinks(fs::path(in_path));
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        return Failure(FileStatus::WriteFailed, "it is a folder");
    }
    if (exists && !S_ISREG(info.st_mode)) {
        return WriteStraightInto(target, in_bytes);
    }
    // A file nobody may write is kept as it is, also when root could replace it.
    if (exists && ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   ::access(target.c_str(), W_OK) != 0)) {
        return Failure(FileStatus::NotPermitted, "the file is read-only");
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return Failure(errno == EACCES || errno == EPERM || errno == EROFS
                           ? FileStatus::NotPermitted
                           : FileStatus::WriteFailed,
                       SystemReason());
    }
    const auto fail = [&](const std::string& in_reason) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return Failure(FileStatus::WriteFailed, in_reason);
    };
    mode_t mode = info.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        return fail(SystemReason());
    }
    if (exists && (info.st_uid != ::geteuid() || info.st_gid != ::getegid())) {
        // Only root may give the file back to its owner; anyone else keeps it as theirs.
        (void)!::fchown(fd, info.st_uid, info.st_gid);
    }
    if (!WriteAll(fd, in_bytes) || ::fsync(fd) != 0) {
        return fail(SystemReason());
    }
    if (::close(fd) != 0) {
        const std::string reason = SystemReason();
        ::unlink(pattern.c_str());
        return Failure(FileStatus::WriteFailed, reason);
    }
    if (::rename(pattern.c_str(), target.c_str()) != 0) {
        const std::string reason = SystemReason();
        ::unlink(pattern.c_str());
        return Failure(FileStatus::WriteFailed, reason);
    }
    return {};
}

#else  // _WIN32: the standard library only

FileResult ReadFileStart(const std::string& in_path, size_t in_limit, std::string& out_bytes,
                         bool& out_more) {
    out_bytes.clear();
    out_more = false;
    std::error_code error;
    if (!fs::is_regular_file(fs::path(in_path), error)) {
        return Failure(
            fs::exists(fs::path(in_path), error) ? FileStatus::NotRegular : FileStatus::CannotOpen,
            "not a readable file");
    }
    std::ifstream file(in_path, std::ios::binary);
    if (!file) {
        return Failure(FileStatus::CannotOpen, "cannot be opened");
    }
    out_bytes.resize(in_limit + 1);
    file.read(out_bytes.data(), static_cast<std::streamsize>(out_bytes.size()));
    const size_t got = static_cast<size_t>(file.gcount());
    if (file.bad()) {
        out_bytes.clear();
        return Failure(FileStatus::ReadFailed, "read error");
    }
    out_more = got > in_limit;
    out_bytes.resize(out_more ? in_limit : got);
    return {};
}

FileResult WriteFileSafely(const std::string& in_path, const std::string& in_bytes) {
    const fs::path target = FollowLinks(fs::path(in_path));
    std::error_code error;
    if (fs::exists(target, error) &&
        (fs::status(target, error).permissions() & fs::perms::owner_write) == fs::perms::none) {
        return Failure(FileStatus::NotPermitted, "the file is read-only");
    }
    fs::path temp;
    for (unsigned n = 0;; ++n) {
        temp = target;
        temp += "." + std::to_string(n) + ".tmp";
        if (!fs::exists(temp, error)) {
            break;
        }
    }
    {
        std::ofstream out(temp, std::ios::binary);
        out.write(in_bytes.data(), static_cast<std::streamsize>(in_bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, error);
            return Failure(FileStatus::WriteFailed, "write error");
        }
    }
    fs::rename(temp, target, error);
    if (error) {
        fs::remove(temp, error);
        return Failure(FileStatus::WriteFailed, error.message());
    }
    return {};
}

#endif

}  // namespace platform
