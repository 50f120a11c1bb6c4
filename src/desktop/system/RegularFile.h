#pragma once
// Reading a small file the user owns without trusting what is at its path: a FIFO, a
// device or a huge file put there must neither hang nor exhaust the reader.

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/UserFiles.h"

namespace quintrel {

// Owns an open file descriptor; -1 is none.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();
    int get() const { return fd_; }
    // Closes now, so that a failing close is seen; answers errno or 0.
    int close();

private:
    int fd_;
};

inline constexpr std::size_t kRegularFileLimit = 1024 * 1024;

// The whole of `path` when it is a regular file of at most `limit` bytes (symbolic links
// followed). Opened without blocking and checked on the opened descriptor, so what is
// read is what was checked.
FileContents readRegularFile(const std::filesystem::path& path,
                             std::size_t limit = kRegularFileLimit);

}  // namespace quintrel
