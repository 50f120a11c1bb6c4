#include <gtest/gtest.h>

#include "polling/Reply.h"
#include "util/Json.h"

namespace quintrel {
namespace {

struct DecodeCase {
    const char* name;
    std::string body;
    bool readable;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class ReplyDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(ReplyDecode, StrictAboutTypes) {
    EXPECT_EQ(reply::decode(GetParam().body).has_value(), GetParam().readable) << GetParam().body;
}

const std::string kBase = R"("online":1,"pv":2,"notify":0)";

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplyDecode,
    testing::Values(
        DecodeCase{"counts_only", "{" + kBase + "}", true},
        DecodeCase{"all_texts",
                   "{" + kBase +
                       R"(,"notifytitle":"t","notifydesc":"d","notifyurl":"u","notifysound":"s"})",
                   true},
        DecodeCase{"null_text", "{" + kBase + R"(,"notifyurl":null})", true},
        DecodeCase{"extra_members", "{" + kBase + R"(,"x":{"y":[1,true]},"online2":"z"})", true},
        DecodeCase{"member_order", R"({"notify":0,"pv":2,"online":1})", true},
        DecodeCase{"negative", R"({"online":-5,"pv":2,"notify":0})", true},
        DecodeCase{"int64_max", R"({"online":9223372036854775807,"pv":2,"notify":0})", true},
        DecodeCase{"int64_min", R"({"online":-9223372036854775808,"pv":2,"notify":0})", true},
        DecodeCase{"byte_order_mark", "\xEF\xBB\xBF{" + kBase + "}", true},
        DecodeCase{"online_as_string", R"({"online":"7","pv":2,"notify":0})", false},
        DecodeCase{"online_as_bool", R"({"online":true,"pv":2,"notify":0})", false},
        DecodeCase{"online_null", R"({"online":null,"pv":2,"notify":0})", false},
        DecodeCase{"online_fraction", R"({"online":1.5,"pv":2,"notify":0})", false},
        DecodeCase{"online_zero_fraction", R"({"online":1.0,"pv":2,"notify":0})", true},
        DecodeCase{"online_exponent", R"({"online":1e2,"pv":2,"notify":0})", true},
        DecodeCase{"negative_zero", R"({"online":-0,"pv":2,"notify":0})", true},
        DecodeCase{"beyond_int64", R"({"online":9223372036854775808,"pv":2,"notify":0})", false},
        DecodeCase{"huge", R"({"online":123456789012345678901234567890,"pv":2,"notify":0})", false},
        DecodeCase{
            "notify_missing",
            R"({"online":1,"pv":2,"notifytitle":"t","notifydesc":"d","notifyurl":"u","notifysound":"s"})",
            false},
        DecodeCase{"url_as_number", "{" + kBase + R"(,"notifyurl":0})", false},
        DecodeCase{"title_as_object", "{" + kBase + R"(,"notifytitle":{}})", false},
        DecodeCase{"duplicate_member", R"({"online":1,"online":2,"pv":2,"notify":0})", false},
        DecodeCase{"trailing_garbage", "{" + kBase + "}x", false},
        DecodeCase{"two_objects", "{" + kBase + "}{}", false},
        DecodeCase{"top_level_array", "[{" + kBase + "}]", false},
        DecodeCase{"top_level_number", "7", false}, DecodeCase{"empty_body", "", false},
        DecodeCase{"invalid_utf8", "{" + kBase + ",\"notifytitle\":\"\xC3\x28\"}", false},
        DecodeCase{
            "deep_nesting",
            "{" + kBase + ",\"x\":" + std::string(100000, '[') + std::string(100000, ']') + "}",
            false},
        DecodeCase{"html_error_page", "<html><body>502 Bad Gateway</body></html>", false}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

TEST(Reply, KeepsValuesAndEmptyTexts) {
    const auto decoded = reply::decode(
        R"({"online":7,"pv":120,"notify":1,"notifytitle":"","notifydesc":"d","notifyurl":null})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->online, 7);
    EXPECT_EQ(decoded->pv, 120);
    EXPECT_EQ(decoded->notify, 1);
    EXPECT_EQ(decoded->notifytitle, "");
    EXPECT_EQ(decoded->notifydesc, "d");
    EXPECT_EQ(decoded->notifyurl, std::nullopt);
    EXPECT_EQ(decoded->notifysound, std::nullopt);
}

// The one whole-number rule of the poll reply, the validation reply and the preferences.
TEST(Json, WholeNumberTakesWholeValuesWithin64BitsOnly) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"-9223372036854775808", INT64_MIN},     // as an integer
        {"-9223372036854775809", std::nullopt},  // rounds to -2^63 as a double
        {"-9.223372036854775808e18", std::nullopt},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {"9.2233720368547758e18", std::nullopt},
        {"3.0", 3},
        {"1e3", 1000},
        {"-0.0", 0},
        {"3.5", std::nullopt},
        {"1e300", std::nullopt},
        {"\"3\"", std::nullopt},
        {"true", std::nullopt},
        {"null", std::nullopt},
        {"[3]", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const auto value = json::parse(text);
        ASSERT_TRUE(value);
        EXPECT_EQ(json::wholeNumber(*value), expected);
    }
}

TEST(Reply, CodingKeysMatchWholeNamesOnly) {
    EXPECT_EQ(reply::codingKey("notifysound"), reply::CodingKeys::notifysound);
    EXPECT_EQ(reply::stringValue(reply::CodingKeys::pv), "pv");
    EXPECT_EQ(reply::codingKey("Online"), std::nullopt);
    EXPECT_EQ(reply::codingKey("notify "), std::nullopt);
}

}  // namespace
}  // namespace quintrel
