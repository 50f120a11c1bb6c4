// Any body the service (or something posing as it) sends either decodes or is refused:
// no crash, no sanitizer report, and a decoded reply always came from a JSON object.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "polling/Reply.h"
#include "util/Json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto decoded = quintrel::reply::decode(body);
    if (decoded) {
        const auto parsed = quintrel::json::parse(body);
        if (!parsed || !parsed->is_object()) {
            __builtin_trap();
        }
    }
    return 0;
}
