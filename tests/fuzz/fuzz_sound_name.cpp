// Sound names come from the network: whatever the name, a name that is accepted for
// lookup stays inside the media folder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "notify/SoundFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    const auto name = quintrel::normalisedSoundName(file, "mp3");
    if (!quintrel::isMediaResourceName(name)) {
        return 0;
    }
    if (name.rfind("media/", 0) != 0 || name.find('\0') != std::string::npos) {
        __builtin_trap();
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        const auto end = std::min(name.find('/', start), name.size());
        const auto segment = name.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") {
            __builtin_trap();
        }
        start = end + 1;
    }
    return 0;
}
