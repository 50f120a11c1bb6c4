#pragma once
// Small text files in the user's own folders (the start-at-login entry): read whole,
// replaced in one step, removed. Failures come back as text for a message.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quintrel {

struct FileContents {
    enum class Kind { missing, read, failed } kind = Kind::missing;
    std::string text;
    // Why it was not read, for a message: "it is a named pipe, not a regular file".
    std::string error;
};

class UserFiles {
public:
    virtual ~UserFiles() = default;

    // The whole file when it is a regular file of a sane size, links followed.
    virtual FileContents read(const std::filesystem::path& path) const = 0;
    // Puts `text` at `path` so that a reader sees the old file or the new one, and a
    // failure leaves the old one. Missing folders are made for this user alone; a link is
    // replaced where it points; a file keeps its mode, a new one is readable by all.
    // Answers why it failed ("cannot write <path> (<reason>)"), or none.
    virtual std::optional<std::string> replace(const std::filesystem::path& path,
                                               std::string_view text) = 0;
    // Answers why it failed ("cannot remove <path> (<reason>)"), or none; a missing file
    // is no failure.
    virtual std::optional<std::string> remove(const std::filesystem::path& path) = 0;
};

}  // namespace quintrel
