#pragma once
// The six preference keys and the one rule by which every reader takes their values.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/PreferencesStore.h"

namespace quintrel::prefs {

inline constexpr const char* apiCode = "qnapicode";
inline constexpr const char* mode = "qnmode";
inline constexpr const char* notify = "qnnotify";
inline constexpr const char* play = "qnplay";
inline constexpr const char* keepAlive = "qnkeepalive";
inline constexpr const char* mute = "qnmute";

// The stored text, or none when the key is absent or holds another type.
std::optional<std::string> text(const PreferencesStore& store, const std::string& key);

// The stored whole number (json::wholeNumber; a boolean counts as 1 or 0), or none when
// the key is absent or holds anything else, texts of digits included.
std::optional<std::int64_t> integer(const PreferencesStore& store, const std::string& key);

// A switch is on when its key is missing, holds no whole number, or holds 1.
bool switchIsOn(const PreferencesStore& store, const std::string& key);

}  // namespace quintrel::prefs
