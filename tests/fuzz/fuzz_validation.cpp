// Validation replies of any shape: a decoded record always answers both questions, and
// its message is never empty.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/QuintrelAPIValidationResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto record = quintrel::QuintrelAPIValidationResponse::decode(body);
    if (record) {
        (void)record->isValid();
        if (record->validationMessage().empty()) {
            __builtin_trap();
        }
    } else if (quintrel::QuintrelAPIValidationResponse::decodingError(body).empty()) {
        __builtin_trap();
    }
    return 0;
}
