// Any body the service (or something posing as it) sends either decodes or is refused:
// no crash, no sanitizer report, and a decoded reply always came from a JSON object.

#include "Fuzz.h"
#include "polling/Reply.h"
#include "util/Json.h"

QUINTREL_FUZZ(body) {
    if (quintrel::reply::decode(body)) {
        const auto parsed = quintrel::json::parse(body);
        check(parsed && parsed->is_object());
    }
}
