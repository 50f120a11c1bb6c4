// The one-line text made from an unreadable reply body: never empty, valid UTF-8, at
// most 140 characters.

#include "Fuzz.h"
#include "settings/QuintrelAPIValidationResponse.h"
#include "util/Text.h"

QUINTREL_FUZZ(body) {
    const auto message = quintrel::validationFailureMessage(body);
    check(!message.empty() && quintrel::text::isValidUTF8(message) &&
          quintrel::text::graphemeCount(message) <= 140);
}
