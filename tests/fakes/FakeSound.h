#pragma once
// Resources as a set of names, and sounds that record being played.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Resources.h"
#include "platform/SoundPlayer.h"

namespace quintrel::fakes {

class FakeResources final : public Resources {
public:
    std::optional<std::string> urlForResource(const std::string& name,
                                              const std::string& ext) const override {
        lookups.push_back(name + "|" + ext);
        const std::string file = name + "." + ext;
        if (!files.contains(file)) {
            return std::nullopt;
        }
        return "/opt/quintrel/share/quintrel-companion/" + file;
    }
    std::set<std::string> files{"media/01.mp3", "media/02.mp3", "media/05.mp3", "05.mp3"};
    mutable std::vector<std::string> lookups;  // "name|ext", in order
};

class FakeSound final : public Sound {
public:
    FakeSound(std::string path, std::vector<std::string>& played) : path(path), played(played) {}
    void play() override { played.push_back(path); }
    const std::string path;
    std::vector<std::string>& played;
};

class FakeSoundFactory final : public SoundFactory {
public:
    SoundLoad load(const std::string& path) override {
        if (unreadable.contains(path)) {
            return {nullptr, "The file could not be played because it is not a sound file."};
        }
        return {std::make_shared<FakeSound>(path, played), ""};
    }
    std::set<std::string> unreadable;  // paths that load as no sound
    std::vector<std::string> played;   // paths, in the order play() was called
};

}  // namespace quintrel::fakes
