#pragma once
// Playing a sound file: loaded once, then started without waiting for it.

#include <memory>
#include <string>

namespace quintrel {

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
