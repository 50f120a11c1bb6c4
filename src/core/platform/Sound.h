#pragma once
// The application's resources and the sounds played from them.

#include <memory>
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

// One loaded sound. Dropping it does not stop it.
class Sound {
public:
    virtual ~Sound() = default;
    // Starts playing and returns at once; the outcome is not reported.
    virtual void play() = 0;
};

struct SoundLoad {
    std::shared_ptr<Sound> sound;           // none when the file cannot be read as a sound
    std::string localizedErrorDescription;  // why not, for people
};

class SoundFactory {
public:
    virtual ~SoundFactory() = default;
    virtual SoundLoad load(const std::string& path) = 0;
};

}  // namespace quintrel
