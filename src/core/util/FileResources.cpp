#include "util/FileResources.h"

#include <algorithm>
#include <system_error>

namespace quintrel {

namespace fs = std::filesystem;

namespace {

bool isInside(const fs::path& candidate, const fs::path& folder) {
    const auto [end, rest] =
        std::mismatch(folder.begin(), folder.end(), candidate.begin(), candidate.end());
    return end == folder.end() && rest != candidate.end();
}

}  // namespace

std::optional<std::vector<std::string_view>> safePathSegments(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos || name.front() == '/') {
        return std::nullopt;
    }
    std::vector<std::string_view> segments;
    std::size_t start = 0;
    while (true) {
        const auto slash = name.find('/', start);
        const auto segment = name.substr(
            start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (segment.empty() || segment == "." || segment == "..") {
            return std::nullopt;
        }
        segments.push_back(segment);
        if (slash == std::string_view::npos) {
            return segments;
        }
        start = slash + 1;
    }
}

FileResources::FileResources(fs::path root) : root_(std::move(root)) {}

std::optional<std::string> FileResources::urlForResource(const std::string& name,
                                                         const std::string& ext) const {
    const std::string file = ext.empty() ? name : name + "." + ext;
    const auto segments = safePathSegments(file);
    if (!segments) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root_, error);
    if (error) {
        return std::nullopt;
    }
    fs::path fence = canonicalRoot;
    if (segments->size() > 1) {
        fence = fs::canonical(canonicalRoot / fs::path(segments->front()), error);
        if (error || !isInside(fence, canonicalRoot)) {
            return std::nullopt;
        }
    }
    const fs::path resolved = fs::canonical(canonicalRoot / fs::path(file), error);
    if (error || !isInside(resolved, fence) || !fs::is_regular_file(resolved, error)) {
        return std::nullopt;
    }
    return resolved.string();
}

fs::path resourcesRoot(const fs::path& executableDir, const fs::path& buildTreeFallback) {
    const fs::path installed = executableDir / ".." / "share" / "quintrel-companion";
    std::error_code error;
    if (fs::is_directory(installed, error) || buildTreeFallback.empty()) {
        return installed.lexically_normal();
    }
    return buildTreeFallback;
}

fs::path defaultResourcesRoot() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
#ifdef QUINTREL_SOURCE_RESOURCES_DIR
    const fs::path buildTree = QUINTREL_SOURCE_RESOURCES_DIR;
#else
    const fs::path buildTree;
#endif
    return resourcesRoot(error ? fs::path() : executable.parent_path(), buildTree);
}

}  // namespace quintrel
