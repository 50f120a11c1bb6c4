// Whatever the API code holds, the built URL keeps the base, carries exactly the items
// given, and leaves no byte outside the unreserved set unescaped in a value.

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/Url.h"

namespace {

bool isSafe(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '%';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string code(reinterpret_cast<const char*>(data), size);
    const std::string base = "https://quintrel.test/api/chrome.php";
    const auto built = quintrel::url::withQuery(base, {{"v", "2"}, {"code", code}, {"z", "1"}});
    if (!built || built->rfind(base + "?v=2&code=", 0) != 0) {
        __builtin_trap();
    }
    const std::string tail = "&z=1";
    if (built->size() < tail.size() ||
        built->compare(built->size() - tail.size(), tail.size(), tail) != 0) {
        __builtin_trap();
    }
    const auto value =
        built->substr(base.size() + 10, built->size() - base.size() - 10 - tail.size());
    for (const char c : value) {
        if (!isSafe(c)) {
            __builtin_trap();
        }
    }
    // The base itself may be anything too: refused or kept as given.
    const auto other = quintrel::url::withQuery(code, {{"a", "b"}});
    if (other && other->rfind(code, 0) != 0) {
        __builtin_trap();
    }
    return 0;
}
