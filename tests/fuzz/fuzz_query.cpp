// Whatever the API code holds, the built URL keeps the base, carries exactly the items
// given, and leaves no byte outside the unreserved set unescaped in a value.

#include "Fuzz.h"
#include "util/Url.h"

QUINTREL_FUZZ(input) {
    const std::string code(input);
    const std::string base = "https://quintrel.test/api/chrome.php";
    const std::string head = base + "?v=2&code=", tail = "&z=1";
    const auto built = quintrel::url::withQuery(base, {{"v", "2"}, {"code", code}, {"z", "1"}});
    check(built && built->starts_with(head) && built->ends_with(tail) &&
          built->size() >= head.size() + tail.size());
    for (const char c : built->substr(head.size(), built->size() - head.size() - tail.size())) {
        const auto u = static_cast<unsigned char>(c);
        check((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
              c == '-' || c == '.' || c == '_' || c == '~' || c == '%');
    }
    // The base itself may be anything too: refused or kept as given.
    const auto other = quintrel::url::withQuery(code, {{"a", "b"}});
    check(!other || other->starts_with(code));
}
