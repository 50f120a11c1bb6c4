#pragma once
// The application's resources as a folder on disk: share/quintrel-companion beside the
// installed binary, or the source tree's resources folder in a build tree.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Sound.h"

namespace quintrel {

class FileResources final : public Resources {
public:
    explicit FileResources(std::filesystem::path root);

    // A resource is found only when it is a regular file that, after every symbolic
    // link is followed, still lies inside the folder its name starts in ("media/01"
    // stays inside media/, "01" inside the root). Names with NUL bytes, empty, "." or
    // ".." segments, or a leading "/" are never found.
    std::optional<std::string> urlForResource(const std::string& name,
                                              const std::string& ext) const override;

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
};

// `<executable's folder>/../share/quintrel-companion` when that folder exists, else
// `buildTreeFallback`.
std::filesystem::path resourcesRoot(const std::filesystem::path& executableDir,
                                    const std::filesystem::path& buildTreeFallback);

// The resources folder of the running process (see resourcesRoot), falling back to the
// source tree this build was made from.
std::filesystem::path defaultResourcesRoot();

}  // namespace quintrel
