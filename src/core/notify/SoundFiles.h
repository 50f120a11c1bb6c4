#pragma once
// Sounds played from the application's resources: the rules that need no player.

#include <memory>
#include <string>

#include "platform/Console.h"
#include "platform/Resources.h"
#include "platform/SoundPlayer.h"

namespace quintrel {

// The resource name a notification's sound name stands for: every "/media/" becomes
// "media/", then a trailing "." + ext (case-sensitive) is dropped.
std::string normalisedSoundName(std::string file, const std::string& ext);

// Whether a normalised name may be looked up: only names inside the media folder, with
// no empty, "." or ".." segment and no control character (NUL included). The name comes from the
// network.
bool isMediaResourceName(const std::string& name);

// "file://" followed by the absolute path, percent-encoded where a URL needs it.
std::string fileURL(const std::string& path);

// The settings window's start-up sound, "media/01.mp3", kept alive in `previewPlayer`.
void playStartupSound(const Resources& resources, SoundFactory& sounds, Console& console,
                      std::shared_ptr<Sound>& previewPlayer);

}  // namespace quintrel
