#pragma once
// The application's resources folder as the logic sees it.

#include <optional>
#include <string>

namespace quintrel {

// Files that ship with the application, below its resources folder.
class Resources {
public:
    virtual ~Resources() = default;
    // The file-system path of the resource "name.ext" (the name may hold a relative
    // folder, "media/01"), or none when there is no such regular file.
    virtual std::optional<std::string> urlForResource(const std::string& name,
                                                      const std::string& ext) const = 0;
};

}  // namespace quintrel
