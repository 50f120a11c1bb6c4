#pragma once
// A quick check that a file holds MPEG audio, made without decoding it, so a file that
// could never play is refused before a player is started.

#include <string>

namespace quintrel {

// True when the file starts (after an optional ID3v2 tag and zero padding) with a valid
// MPEG audio frame that is followed by a second one of the same kind or by the file's end.
bool looksLikeMp3(const std::string& path);

}  // namespace quintrel
