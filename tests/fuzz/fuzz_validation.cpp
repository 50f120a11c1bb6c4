// Validation replies of any shape: a decoded record always answers both questions, and
// its message is never empty.

#include "Fuzz.h"
#include "settings/QuintrelAPIValidationResponse.h"

QUINTREL_FUZZ(body) {
    using quintrel::QuintrelAPIValidationResponse;
    if (const auto record = QuintrelAPIValidationResponse::decode(body)) {
        (void)record->isValid();
        check(!record->validationMessage().empty());
    } else {
        check(!QuintrelAPIValidationResponse::decodingError(body).empty());
    }
}
