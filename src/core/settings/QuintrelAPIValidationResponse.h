#pragma once
// The service's answer to an API-code check, decoded leniently: each field that arrives
// with an unusable type is simply absent, and only a body that is no JSON object fails.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quintrel {

// The status title while a code is being checked, and after a check that failed without
// a reason the user could act on.
inline constexpr const char* kCheckAPITitle = "Check API";

struct QuintrelAPIValidationResponse {
    std::optional<std::int64_t> errorCode;  // "error" read as a number; 0 means no error
    std::optional<std::string> errorText;   // "error" read as text
    std::optional<std::string> message;     // "msg", or "message" when "msg" gives nothing
    std::optional<std::int64_t> online;
    std::optional<std::int64_t> pv;
    std::optional<std::int64_t> notify;

    // The record of a JSON object; none for anything else.
    static std::optional<QuintrelAPIValidationResponse> fromJSON(const nlohmann::json& object);
    // The record of a reply body; none when the body is not a JSON object.
    static std::optional<QuintrelAPIValidationResponse> decode(std::string_view body);
    // Why decode() gives none for `body`, in a few words ("the body is not valid JSON");
    // empty when it decodes.
    static std::string decodingError(std::string_view body);

    // A whole number within signed 64 bits, a decimal text of one ("+5", " 12 "), or a
    // boolean (1 or 0). Anything else, a missing key and null included, gives none.
    static std::optional<std::int64_t> decodeInt(const nlohmann::json& container,
                                                 std::string_view key);
    // A string exactly as sent, a whole number's decimal text, or "1"/"0" for a boolean.
    static std::optional<std::string> decodeString(const nlohmann::json& container,
                                                   std::string_view key);

    bool isValid() const;
    std::string validationMessage() const;
};

// A one-line text describing a reply body that could not be decoded: the trimmed body,
// cut to 140 characters, or "Check API" when it is empty or not UTF-8.
std::string validationFailureMessage(std::string_view body);

}  // namespace quintrel
