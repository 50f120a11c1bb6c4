// Decoding the service's answer to an API-code check, and the texts made from it.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/QuintrelAPIValidationResponse.h"

namespace quintrel {
namespace {

using Response = QuintrelAPIValidationResponse;

constexpr std::optional<std::int64_t> none = std::nullopt;
const std::optional<std::string> noText = std::nullopt;

TEST(ValidationResponse, DecodesBodiesLeniently) {
    const struct {
        std::string body;
        std::optional<std::int64_t> errorCode;
        std::optional<std::string> errorText;
        bool valid;
        std::string message;
    } cases[] = {
        {R"({"error":0})", 0, "0", true, "Check API"},
        {R"({"error":" 0 "})", 0, " 0 ", true, "Check API"},
        {R"({"error":false})", 0, "0", true, "Check API"},
        {R"({"error":true})", 1, "1", false, "1"},
        {R"({"error":3})", 3, "3", false, "3"},
        {R"({"error":"+5"})", 5, "+5", false, "+5"},
        {R"({"error":"-0"})", 0, "-0", true, "-0"},
        {R"({"error":" bad code\n"})", none, " bad code\n", false, "bad code"},
        {R"({"error":"   "})", none, "   ", false, "Check API"},
        {R"({"error":"   ","online":1,"pv":2,"notify":0})", none, "   ", true, "Check API"},
        {R"({"error":1.5})", none, noText, false, "Check API"},
        {R"({"error":1e2})", 100, "100", false, "100"},
        {R"({"error":null,"online":1,"pv":1,"notify":1})", none, noText, true, "Check API"},
        {R"({"online":5,"pv":"12","notify":false})", none, noText, true, "Check API"},
        {R"({"online":5,"pv":12})", none, noText, false, "Check API"},
        {R"({"online":5,"pv":"12.0","notify":1})", none, noText, false, "Check API"},
        {R"({"msg":"","message":"hidden","error":2})", 2, "2", false, "2"},
        {R"({"message":" Code expired \n"})", none, noText, false, "Code expired"},
        {R"({"msg":"\t Unknown site \r\n","message":"other"})", none, noText, false,
         "Unknown site"},
        {R"({"msg":42,"error":"x"})", none, "x", false, "42"},
        {R"({"msg":"  ","error":"denied"})", none, "denied", false, "denied"},
        {R"({"msg":"Welcome","error":0})", 0, "0", true, "Welcome"},
        // Out of 64 bits a number is neither a code nor a text; a text stays the text.
        {R"({"error":9223372036854775808})", none, noText, false, "Check API"},
        {R"({"error":"9223372036854775808"})", none, "9223372036854775808", false,
         "9223372036854775808"},
        {R"({"error":"-9223372036854775808"})", INT64_MIN, "-9223372036854775808", false,
         "-9223372036854775808"},
        {R"({"error":"+"})", none, "+", false, "+"},
        {R"({"error":"0x10"})", none, "0x10", false, "0x10"},
        {R"({"error":"007"})", 7, "007", false, "007"},
        // Full-width digits are no ASCII digits.
        {R"({"error":"\uff13"})", none, "\xef\xbc\x93", false, "\xef\xbc\x93"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        const auto record = Response::decode(c.body);
        ASSERT_TRUE(record.has_value());
        EXPECT_EQ(record->errorCode, c.errorCode);
        EXPECT_EQ(record->errorText, c.errorText);
        EXPECT_EQ(record->isValid(), c.valid);
        EXPECT_EQ(record->validationMessage(), c.message);
    }
}

TEST(ValidationResponse, OnlyJSONObjectsDecode) {
    const std::pair<std::string, std::string> failing[] = {
        {"", "the body is empty"},
        {"[1,2]", "the body is a JSON array, not an object"},
        {"null", "the body is a JSON null, not an object"},
    };
    for (const auto& [body, why] : failing) {
        SCOPED_TRACE(body);
        EXPECT_FALSE(Response::decode(body).has_value());
        EXPECT_EQ(Response::decodingError(body), why);
    }
    EXPECT_EQ(Response::decodingError("{}"), "");
}

TEST(ValidationResponse, FailureMessageIsOneTrimmedLineOfAtMost140Characters) {
    EXPECT_EQ(validationFailureMessage(std::string(140, 'y')), std::string(140, 'y'));
    EXPECT_EQ(validationFailureMessage(std::string(141, 'y')), std::string(137, 'y') + "...");
    EXPECT_EQ(validationFailureMessage(""), "Check API");
    EXPECT_EQ(validationFailureMessage(" \r\n\t "), "Check API");
    EXPECT_EQ(validationFailureMessage("bad \xff byte"), "Check API");
}

}  // namespace
}  // namespace quintrel
