#pragma once
// Folders for the user's own files.

#include <filesystem>
#include <optional>
#include <string>

namespace quintrel {

// Makes `folder` and every missing folder above it, each for this user alone (0700), as
// the base directory rules ask; folders already there keep their modes. Answers why it
// could not, or none once `folder` is there.
std::optional<std::string> makePrivateFolders(const std::filesystem::path& folder);

}  // namespace quintrel
