#pragma once
// The user's files in memory, with failures that can be set per operation.

#include <map>

#include "platform/UserFiles.h"

namespace quintrel::fakes {

struct FakeUserFiles final : UserFiles {
    std::map<std::filesystem::path, std::string> files;
    std::map<std::filesystem::path, std::string> unreadable;  // path: why
    std::optional<std::string> replaceFails;
    std::optional<std::string> removeFails;

    FileContents read(const std::filesystem::path& path) const override {
        if (const auto why = unreadable.find(path); why != unreadable.end()) {
            return {FileContents::Kind::failed, "", why->second};
        }
        const auto file = files.find(path);
        return file == files.end() ? FileContents{}
                                   : FileContents{FileContents::Kind::read, file->second, ""};
    }
    std::optional<std::string> replace(const std::filesystem::path& path,
                                       std::string_view text) override {
        if (!replaceFails) {
            files[path] = text;
        }
        return replaceFails;
    }
    std::optional<std::string> remove(const std::filesystem::path& path) override {
        if (!removeFails) {
            files.erase(path);
        }
        return removeFails;
    }
};

}  // namespace quintrel::fakes
