#pragma once
// The application's resources as a folder on disk: share/quintrel-companion beside the
// installed binary, or the source tree's resources folder in a build tree.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Resources.h"

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

// The "/"-separated segments of a relative name that stays below the folder it is looked
// up in, or none when it is empty, starts with "/", holds a NUL byte, or has an empty,
// "." or ".." segment.
std::optional<std::vector<std::string_view>> safePathSegments(std::string_view name);

// `<executable's folder>/../share/quintrel-companion` when that folder exists or there is
// no `buildTreeFallback` (empty), else `buildTreeFallback`.
std::filesystem::path resourcesRoot(const std::filesystem::path& executableDir,
                                    const std::filesystem::path& buildTreeFallback);

// The resources folder of the running process (see resourcesRoot), falling back to the
// source tree this build was made from only in builds that run from their build tree.
std::filesystem::path defaultResourcesRoot();

}  // namespace quintrel
