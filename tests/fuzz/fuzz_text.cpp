// Trimming and cutting arbitrary bytes: never longer than asked, in characters and in bytes;
// trimming is idempotent and only ever removes bytes from the ends.

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace text = quintrel::text;
    const std::string input(reinterpret_cast<const char*>(data), size);

    const auto trimmed = text::trimmed(input);
    if (text::trimmed(trimmed) != trimmed || input.find(trimmed) == std::string::npos) {
        __builtin_trap();
    }
    if (text::isValidUTF8(input)) {
        for (const std::size_t limit : {3u, 72u, 140u}) {
            const auto cut = text::ellipsized(input, limit, 4 * limit);
            if (text::graphemeCount(cut) > limit || cut.size() > 4 * limit ||
                !text::isValidUTF8(cut)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
