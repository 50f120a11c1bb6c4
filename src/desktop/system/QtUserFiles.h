#pragma once
// The user's small files on disk: read with readRegularFile, written with QSaveFile.

#include "platform/UserFiles.h"

namespace quintrel {

class QtUserFiles final : public UserFiles {
public:
    FileContents read(const std::filesystem::path& path) const override;
    std::optional<std::string> replace(const std::filesystem::path& path,
                                       std::string_view text) override;
    std::optional<std::string> remove(const std::filesystem::path& path) override;
};

}  // namespace quintrel
