#include "desktop/system/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quintrel {

namespace {

std::string systemError(int code) {
    return std::generic_category().message(code);
}

std::string notRegular(mode_t mode) {
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a named pipe"
                       : S_ISSOCK(mode)                 ? "a socket"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                                        : "something else";
    return std::string("it is ") + kind + ", not a regular file";
}

std::string tooLarge(std::size_t limit) {
    constexpr std::size_t kMiB = 1024 * 1024;
    return "it is larger than " + (limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB"
                                                     : std::to_string(limit) + " bytes");
}

}  // namespace

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

int FileDescriptor::close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}

FileContents readRegularFile(const std::filesystem::path& path, std::size_t limit) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return {};
        }
        return {FileContents::Kind::failed, "", systemError(errno)};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return {FileContents::Kind::failed, "", systemError(errno)};
    }
    if (!S_ISREG(info.st_mode)) {
        return {FileContents::Kind::failed, "", notRegular(info.st_mode)};
    }
    if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) > limit) {
        return {FileContents::Kind::failed, "", tooLarge(limit)};
    }
    FileContents contents{FileContents::Kind::read, "", ""};
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count == 0) {
            return contents;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {FileContents::Kind::failed, "", systemError(errno)};
        }
        contents.text.append(buffer, static_cast<std::size_t>(count));
        // It may grow while it is read.
        if (contents.text.size() > limit) {
            return {FileContents::Kind::failed, "", tooLarge(limit)};
        }
    }
}

}  // namespace quintrel
