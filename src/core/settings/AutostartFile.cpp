#include "settings/AutostartFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "settings/AutostartEntry.h"

namespace quintrel::autostart {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0644;
// Made only when missing, for this user alone, as the base directory rules ask.
constexpr mode_t kNewDirectoryMode = 0700;

std::string systemError(int code) {
    return std::generic_category().message(code);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now, so that a failing close is seen; answers errno or 0.
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

struct FileContents {
    enum class Kind { missing, read, failed } kind = Kind::missing;
    std::string text;
    std::string error;
};

FileContents readFile(const fs::path& path) {
    // Not blocking: a FIFO put there must not hang the settings window.
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
        return {FileContents::Kind::failed, "", "not a regular file"};
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
    }
}

// Answers why `directory` could not be made, or none once it is there.
std::optional<std::string> makeDirectories(const fs::path& directory) {
    std::error_code error;
    if (fs::is_directory(directory, error)) {
        return std::nullopt;
    }
    const fs::path parent = directory.parent_path();
    if (!parent.empty() && parent != directory) {
        if (auto problem = makeDirectories(parent)) {
            return problem;
        }
    }
    if (::mkdir(directory.c_str(), kNewDirectoryMode) != 0 && errno != EEXIST) {
        return "cannot create " + directory.string() + " (" + systemError(errno) + ")";
    }
    if (!fs::is_directory(directory, error)) {
        return directory.string() + " is not a folder";
    }
    return std::nullopt;
}

// Replaces `path` with `text` in one rename, so that a reader sees the old file or the
// new one and a failure leaves the old one. Answers why it failed, or none.
std::optional<std::string> writeAtomically(const fs::path& path, const std::string& text,
                                           mode_t mode) {
    const fs::path directory = path.parent_path();
    if (auto problem = makeDirectories(directory)) {
        return problem;
    }
    std::string temporary = (directory / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return "cannot write to " + directory.string() + " (" + systemError(errno) + ")";
    }
    const auto failed = [&](int code) -> std::optional<std::string> {
        ::unlink(temporary.c_str());
        return "cannot write " + path.string() + " (" + systemError(code) + ")";
    };
    std::string_view rest = text;
    while (!rest.empty()) {
        const ssize_t count = ::write(fd.get(), rest.data(), rest.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return failed(errno);
        }
        rest.remove_prefix(static_cast<std::size_t>(count));
    }
    if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) {
        return failed(errno);
    }
    if (const int code = fd.close()) {
        return failed(code);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return failed(errno);
    }
    return std::nullopt;
}

}  // namespace

std::optional<fs::path> entryPath(const EnvironmentLookup& environment) {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    if (const auto config = environment("XDG_CONFIG_HOME");
        config && fs::path(*config).is_absolute()) {
        return fs::path(*config) / "autostart" / kEntryFileName;
    }
    if (const auto home = environment("HOME"); home && fs::path(*home).is_absolute()) {
        return fs::path(*home) / ".config" / "autostart" / kEntryFileName;
    }
    return std::nullopt;
}

std::optional<fs::path> runningBinary() {
    std::error_code error;
    std::string binary = fs::read_symlink("/proc/self/exe", error).string();
    if (error || binary.empty()) {
        return std::nullopt;
    }
    // What the link reads while an upgrade has replaced the file under the running program.
    constexpr std::string_view deleted = " (deleted)";
    if (binary.ends_with(deleted)) {
        binary.resize(binary.size() - deleted.size());
    }
    return fs::path(binary);
}

State readState(const fs::path& entry) {
    const FileContents contents = readFile(entry);
    switch (contents.kind) {
        case FileContents::Kind::missing:
            return {};
        case FileContents::Kind::failed:
            return {false, "Cannot read " + entry.string() + " (" + contents.error + ")."};
        case FileContents::Kind::read:
            break;
    }
    const auto parsed = DesktopEntryText::parse(contents.text);
    if (!parsed) {
        return {false,
                entry.string() +
                    " is not a valid desktop entry, so it does not start anything at login."};
    }
    return {parsed->enabled(), std::nullopt};
}

std::optional<std::string> setEnabled(const fs::path& entry, bool on, std::string_view exec) {
    const auto failure = [on](const std::string& reason) -> std::optional<std::string> {
        return std::string("Could not turn ") + (on ? "on" : "off") + " start at login: " + reason +
               ".";
    };
    const FileContents contents = readFile(entry);
    if (contents.kind == FileContents::Kind::failed) {
        return failure("cannot read " + entry.string() + " (" + contents.error + ")");
    }
    const std::string ours = entryText(exec);
    if (contents.kind == FileContents::Kind::missing) {
        if (!on) {
            return std::nullopt;
        }
        if (auto problem = writeAtomically(entry, ours, kNewFileMode)) {
            return failure(*problem);
        }
        return std::nullopt;
    }
    if (contents.text == ours) {
        if (on) {
            return std::nullopt;
        }
        if (::unlink(entry.c_str()) != 0 && errno != ENOENT) {
            return failure("cannot remove " + entry.string() + " (" + systemError(errno) + ")");
        }
        return std::nullopt;
    }

    // Someone else's entry, or one edited since: changed in place, never replaced.
    auto edited = DesktopEntryText::parse(contents.text);
    if (!edited) {
        return failure(entry.string() + " is not a valid desktop entry; it was left as it is");
    }
    if (edited->enabled() == on) {
        return std::nullopt;
    }
    if (on) {
        edited->enable();
    } else {
        edited->disable();
    }
    // A linked entry (kept with the user's dotfiles, say) is changed where it lives.
    std::error_code error;
    const fs::path target = fs::is_symlink(entry, error) ? fs::canonical(entry, error) : entry;
    if (error) {
        return failure("cannot follow the link " + entry.string() + " (" + error.message() + ")");
    }
    struct stat info {};
    const mode_t mode = ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 0777) : kNewFileMode;
    if (auto problem = writeAtomically(target, edited->text(), mode)) {
        return failure(*problem);
    }
    return std::nullopt;
}

}  // namespace quintrel::autostart
