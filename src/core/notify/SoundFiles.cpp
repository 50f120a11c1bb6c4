// Which sound file plays: the names a notification may use, and the settings window's
// start-up sound.

#include "notify/SoundFiles.h"

#include <algorithm>

#include "util/FileResources.h"
#include "util/Url.h"

namespace quintrel {

std::string normalisedSoundName(std::string file, const std::string& ext) {
    static constexpr std::string_view kFrom = "/media/";
    static constexpr std::string_view kTo = "media/";
    for (auto at = file.find(kFrom); at != std::string::npos; at = file.find(kFrom, at)) {
        file.replace(at, kFrom.size(), kTo);
        at += kTo.size();
    }
    const std::string suffix = "." + ext;
    if (file.size() >= suffix.size() &&
        file.compare(file.size() - suffix.size(), suffix.size(), suffix) == 0) {
        file.erase(file.size() - suffix.size());
    }
    return file;
}

bool isMediaResourceName(const std::string& name) {
    static constexpr std::string_view kFolder = "media/";
    const bool control = std::any_of(name.begin(), name.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c < 0x20 || c == 0x7F;
    });
    return !control && name.compare(0, kFolder.size(), kFolder) == 0 &&
           safePathSegments(std::string_view(name).substr(kFolder.size()));
}

std::string fileURL(const std::string& path) {
    // The sub-delimiters, ':' and '@' are allowed in a path as they are.
    return "file://" + url::percentEncode(path, "/!$&'()*+,;=:@");
}

void playStartupSound(const Resources& resources, SoundFactory& sounds, Console& console,
                      std::shared_ptr<Sound>& previewPlayer) {
    const auto path = resources.urlForResource("media/01", "mp3");
    if (!path) {
        console.printLine("error file");
        return;
    }
    console.printLine(fileURL(*path));
    auto loaded = sounds.load(*path);
    if (!loaded.sound) {
        console.printLine(loaded.localizedErrorDescription);
        return;
    }
    previewPlayer = std::move(loaded.sound);
    previewPlayer->play();
}

}  // namespace quintrel
