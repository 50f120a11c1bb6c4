#include "settings/QuintrelAPIValidationResponse.h"

#include <charconv>

#include "util/Json.h"
#include "util/Text.h"

namespace quintrel {

namespace {


const nlohmann::json* member(const nlohmann::json& container, std::string_view key) {
    if (!container.is_object()) {
        return nullptr;
    }
    const auto it = container.find(key);
    return it == container.end() || it->is_null() ? nullptr : &*it;
}

// An optional sign, then one or more ASCII digits and nothing else, within 64 bits.
std::optional<std::int64_t> decimalInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    // Parsed with its sign so that the most negative value fits.
    const std::string signedText = (negative ? "-" : "") + std::string(text);
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(signedText.data(), signedText.data() + signedText.size(), value);
    if (error != std::errc() || end != signedText.data() + signedText.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::int64_t> QuintrelAPIValidationResponse::decodeInt(
    const nlohmann::json& container, std::string_view key) {
    const auto* value = member(container, key);
    if (!value) {
        return std::nullopt;
    }
    if (const auto number = json::wholeNumber(*value)) {
        return number;
    }
    if (value->is_string()) {
        const auto trimmed = text::trimmed(value->get_ref<const std::string&>());
        return trimmed.empty() ? std::nullopt : decimalInteger(trimmed);
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? 1 : 0;
    }
    return std::nullopt;
}

std::optional<std::string> QuintrelAPIValidationResponse::decodeString(
    const nlohmann::json& container, std::string_view key) {
    const auto* value = member(container, key);
    if (!value) {
        return std::nullopt;
    }
    if (value->is_string()) {
        return value->get<std::string>();
    }
    if (const auto number = json::wholeNumber(*value)) {
        return std::to_string(*number);
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? "1" : "0";
    }
    return std::nullopt;
}

std::optional<QuintrelAPIValidationResponse> QuintrelAPIValidationResponse::fromJSON(
    const nlohmann::json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    QuintrelAPIValidationResponse record;
    record.errorCode = decodeInt(object, "error");
    record.errorText = decodeString(object, "error");
    // A "msg" that is present, even empty, hides "message".
    record.message = decodeString(object, "msg");
    if (!record.message) {
        record.message = decodeString(object, "message");
    }
    record.online = decodeInt(object, "online");
    record.pv = decodeInt(object, "pv");
    record.notify = decodeInt(object, "notify");
    return record;
}

std::optional<QuintrelAPIValidationResponse> QuintrelAPIValidationResponse::decode(
    std::string_view body) {
    const auto parsed = json::parse(body);
    return parsed ? fromJSON(*parsed) : std::nullopt;
}

std::string QuintrelAPIValidationResponse::decodingError(std::string_view body) {
    const auto parsed = json::parse(body);
    if (!parsed) {
        return body.empty() ? "the body is empty" : "the body is not valid JSON";
    }
    if (parsed->is_object()) {
        return "";
    }
    return std::string("the body is a JSON ") + parsed->type_name() + ", not an object";
}

bool QuintrelAPIValidationResponse::isValid() const {
    if (errorCode) {
        return *errorCode == 0;
    }
    if (errorText) {
        const auto trimmed = text::trimmed(*errorText);
        if (!trimmed.empty() && trimmed != "0") {
            return false;
        }
    }
    return online && pv && notify;
}

std::string QuintrelAPIValidationResponse::validationMessage() const {
    if (message) {
        if (auto trimmed = text::trimmed(*message); !trimmed.empty()) {
            return trimmed;
        }
    }
    if (errorText) {
        if (auto trimmed = text::trimmed(*errorText); !trimmed.empty() && trimmed != "0") {
            return trimmed;
        }
    }
    if (!errorCode || *errorCode == 0) {
        return kCheckAPITitle;
    }
    return "Invalid API code (error " + std::to_string(*errorCode) + ")";
}

std::string validationFailureMessage(std::string_view body) {
    if (!text::isValidUTF8(body)) {
        return kCheckAPITitle;
    }
    const auto trimmed = text::trimmed(body);
    if (trimmed.empty()) {
        return kCheckAPITitle;
    }
    return text::ellipsized(trimmed, 140);
}

}  // namespace quintrel
