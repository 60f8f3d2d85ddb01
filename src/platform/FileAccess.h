#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class FileStatus {
    Ok,
    CannotOpen,    // missing, unreadable, or a folder
    NotRegular,    // a device, pipe or socket: reading it could wait forever
    ReadFailed,    // an error while reading
    NotPermitted,  // the target may not be written: read-only, or its folder refuses
    WriteFailed    // a write, the flush or the replacement failed (a full disk, say)
};

struct FileResult {
    FileStatus status = FileStatus::Ok;
    std::string reason;  // the system's words for a failure, empty when Ok
    explicit operator bool() const { return status == FileStatus::Ok; }
};

// Reads at most in_limit bytes from the start of the regular file in_path into
// out_bytes; out_more tells whether the file holds more than that. A folder, device
// or pipe is refused without being read, so nothing ever waits on it.
FileResult ReadFileStart(const std::string& in_path, size_t in_limit, std::string& out_bytes,
                         bool& out_more);

// Writes in_bytes as the file in_path so that a failure never leaves a damaged file
// where a good one was: a temporary file with a unique name beside the target, every
// write and the flush to disk checked, then renamed over the target. A symlink is
// followed and its target replaced; the target's permissions are kept. A file without
// any write permission is refused even for root. A target that is not a regular file
// (a device, a pipe) is written straight into, never replaced.
FileResult WriteFileSafely(const std::string& in_path, const std::string& in_bytes);

}  // namespace platform
