#include "desktop/system/PrivateFolders.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace quintrel {

std::optional<std::string> makePrivateFolders(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return std::nullopt;
    }
    const auto parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        if (auto problem = makePrivateFolders(parent)) {
            return problem;
        }
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot create " + folder.string() + " (" + std::generic_category().message(errno) +
               ")";
    }
    if (!std::filesystem::is_directory(folder, error)) {
        return folder.string() + " is not a folder";
    }
    return std::nullopt;
}

}  // namespace quintrel
