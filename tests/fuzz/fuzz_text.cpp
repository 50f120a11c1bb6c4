// Trimming and cutting arbitrary bytes: never longer than asked, in characters and in bytes;
// trimming is idempotent and only ever removes bytes from the ends.

#include "Fuzz.h"
#include "util/Text.h"

QUINTREL_FUZZ(bytes) {
    namespace text = quintrel::text;
    const std::string input(bytes);
    const auto trimmed = text::trimmed(input);
    check(text::trimmed(trimmed) == trimmed && input.find(trimmed) != std::string::npos);
    if (text::isValidUTF8(input)) {
        for (const std::size_t limit : {3u, 72u, 140u}) {
            const auto cut = text::ellipsized(input, limit, 4 * limit);
            check(text::graphemeCount(cut) <= limit && cut.size() <= 4 * limit &&
                  text::isValidUTF8(cut));
        }
    }
}
