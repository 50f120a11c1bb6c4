// The one-line text made from an unreadable reply body: never empty, valid UTF-8, at
// most 140 characters.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/QuintrelAPIValidationResponse.h"
#include "util/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace text = quintrel::text;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto message = quintrel::validationFailureMessage(body);
    if (message.empty() || !text::isValidUTF8(message) || text::graphemeCount(message) > 140) {
        __builtin_trap();
    }
    return 0;
}
