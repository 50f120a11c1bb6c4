// Sound names come from the network: whatever the name, a name that is accepted for
// lookup stays inside the media folder.

#include <algorithm>

#include "Fuzz.h"
#include "notify/SoundFiles.h"

QUINTREL_FUZZ(file) {
    const auto name = quintrel::normalisedSoundName(std::string(file), "mp3");
    if (!quintrel::isMediaResourceName(name)) {
        return;
    }
    check(name.starts_with("media/") && name.find('\0') == std::string::npos);
    for (std::size_t start = 0; start <= name.size();) {
        const auto end = std::min(name.find('/', start), name.size());
        const auto segment = name.substr(start, end - start);
        check(!segment.empty() && segment != "." && segment != "..");
        start = end + 1;
    }
}
